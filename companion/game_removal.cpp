#include "companion/game_removal.h"

#include "install/desktop_shortcut.h"
#include "install/theme_icon.h"
#include "platform/paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

bool IsThere(const QFileInfo& info) { return info.exists() || info.isSymLink(); }

// The game's folder and what it holds, the content before the folder that holds it. A
// link in place of the folder, or in it, is one entry: nothing is read through it.
QStringList GameFolderEntries(const QString& gameKey) {
  QString folder = paths::GameFolder(gameKey);
  folder.chop(1);
  const QFileInfo root(folder);
  if (!IsThere(root)) return {};
  if (root.isSymLink() || !root.isDir()) return {folder};
  QStringList entries;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) entries << it.next();
  // A folder is listed before what it holds.
  std::reverse(entries.begin(), entries.end());
  return entries << folder;
}

QStringList DesktopEntries(const QString& gameKey) {
  QStringList entries;
  const QString desktop = paths::DesktopFolder();
  if (!desktop.isEmpty()) {
    for (const QString& name : QDir(desktop).entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Hidden)) {
      if (IsEntryOfGame(desktop + name, gameKey)) entries << desktop + name;
    }
  }
  if (IsEntryOfGame(paths::MenuEntry(gameKey), gameKey)) entries << paths::MenuEntry(gameKey);
  return entries;
}

}  // namespace

QStringList RemovalList(const QString& gameKey) {
  QStringList entries = GameFolderEntries(gameKey) + DesktopEntries(gameKey) + ThemeIconFiles(gameKey);
  for (const QString& file : {paths::ProgramLog(gameKey), paths::InstallerLock(gameKey)}) {
    if (IsThere(QFileInfo(file))) entries << file;
  }
  return entries;
}

QStringList RemoveEntries(const QStringList& entries) {
  QStringList failed;
  for (const QString& entry : entries) {
    const QByteArray path = QFile::encodeName(entry);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) continue;
    const int result = S_ISDIR(info.st_mode) ? ::rmdir(path.constData()) : ::unlink(path.constData());
    if (result != 0) failed << entry;
  }
  return failed;
}

}  // namespace tarvex
