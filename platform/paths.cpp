#include "platform/paths.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

namespace tarvex::paths {
namespace {

QString WithSlash(QString folder) {
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString XdgFolder(const char* variable, const char* fallbackBelowHome) {
  const QByteArray value = qgetenv(variable);
  if (!value.isEmpty() && value.startsWith('/')) return WithSlash(QString::fromLocal8Bit(value));
  return WithSlash(QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome));
}

}  // namespace

QString DataRoot() { return XdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("Tarvex/"); }
QString BoxFolder() { return DataRoot() + QStringLiteral("Box/"); }
QString TokenFile() { return BoxFolder() + QStringLiteral("ONEREAD.TXT"); }
QString GamesFolder() { return BoxFolder() + QStringLiteral("games/"); }
QString GameFolder(const QString& gameKey) { return GamesFolder() + gameKey + QLatin1Char('/'); }
QString GameExecutable(const QString& gameKey) { return GameFolder(gameKey) + gameKey + QStringLiteral(".exe"); }
QString GameIcon(const QString& gameKey) { return GameFolder(gameKey) + gameKey + QStringLiteral(".ico"); }
QString InstallerFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Tarvex/tmp/"); }
QString InstallerPath(const QString& gameKey) { return InstallerFolder() + gameKey + QStringLiteral("-7z.exe"); }

QString DesktopFolder() {
  // No desktop folder is no folder at all, never the file-system root.
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  return desktop.isEmpty() ? QString() : WithSlash(desktop);
}

QString DownloadFolder() {
  return WithSlash(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

QString InstalledClient() { return QStringLiteral(TARVEX_INSTALLED_CLIENT); }

std::optional<QString> GetBrowserCachePath() {
  const QString home = QDir::homePath();
  if (qgetenv("XDG_CACHE_HOME").isEmpty() && (home.isEmpty() || home == QLatin1String("/")))
    return std::nullopt;
  return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Wexlod");
}

QString InstanceSocket(const QString& windowTitle) {
  const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
  const QString folder = runtimeDir.startsWith('/') ? QString::fromLocal8Bit(runtimeDir) : QDir::tempPath();
  return WithSlash(folder) + windowTitle + QLatin1Char('-') + QString::number(::getuid());
}

}  // namespace tarvex::paths
