#include "install/theme_icon.h"

#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

#include <map>

namespace tarvex {
namespace {

// Every square image of the icon file, one per size: of several of one size (the same
// picture in fewer colours) the one with the most bits per pixel.
std::map<int, QImage> ImagesBySize(const QString& iconFile) {
  std::map<int, QImage> images;
  QImageReader reader(iconFile);
  const int count = reader.imageCount();
  for (int i = 0; i < count; ++i) {
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (image.isNull() || image.width() != image.height()) continue;
    QImage& kept = images[image.width()];
    if (kept.isNull() || image.depth() > kept.depth()) kept = image;
  }
  return images;
}

bool WritePng(const QImage& image, const QString& fileName) {
  if (!QDir().mkpath(QFileInfo(fileName).path())) return false;
  QSaveFile file(fileName);
  return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

}  // namespace

QString InstallThemeIcons(const QString& gameKey) {
  bool written = false;
  for (const auto& [size, image] : ImagesBySize(paths::GameIcon(gameKey)))
    written = WritePng(image, paths::ThemeIcon(gameKey, size)) || written;
  return written ? paths::ThemeIconName(gameKey) : paths::GameIcon(gameKey);
}

QStringList ThemeIconFiles(const QString& gameKey) {
  QStringList files;
  const QString theme = paths::IconThemeFolder();
  const QString name = paths::ThemeIconName(gameKey) + QStringLiteral(".png");
  for (const QString& size : QDir(theme).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QFileInfo icon(theme + size + QStringLiteral("/apps/") + name);
    if (icon.isFile() || icon.isSymLink()) files << icon.filePath();
  }
  return files;
}

}  // namespace tarvex
