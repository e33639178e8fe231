#include "platform/paths.h"

#include "platform/trace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <sys/stat.h>
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

// Whether `folder` is a folder only this user can enter, made (0700) when missing: a
// folder another user made, or a link, or one open to group or others is refused.
bool IsPrivateFolder(const QString& folder) {
  const QByteArray path = QFile::encodeName(folder);
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (info.st_mode & 077) == 0;
}

// The user's runtime folder for the instance socket and its lock. Without one, a private
// folder in the temporary folder (short enough for a socket path), else one in the cache.
// When neither can be had, a fresh one of its own: safe, though a later start will not
// find this instance there.
QString RuntimeFolder() {
  const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
  if (runtimeDir.startsWith('/')) return WithSlash(QString::fromLocal8Bit(runtimeDir));
  const QString candidates[] = {QDir::tempPath() + QStringLiteral("/tarvex-") + QString::number(::getuid()),
                                XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Tarvex/run")};
  for (const QString& folder : candidates) {
    QDir().mkpath(QFileInfo(folder).path());
    if (IsPrivateFolder(folder)) return WithSlash(folder);
    TraceFormat(QStringLiteral("----------instance folder refused----------%s\n"), folder);
  }
  QByteArray fresh = QFile::encodeName(candidates[0] + QStringLiteral("-XXXXXX"));
  return ::mkdtemp(fresh.data()) ? WithSlash(QFile::decodeName(fresh)) : QString();
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
QString WinePrefix() { return DataRoot() + QStringLiteral("wine/"); }
QString WinePrefixBox() { return WinePrefix() + QStringLiteral("drive_c/Tarvex/Box"); }
QString InstallerLock(const QString& gameKey) {
  return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Tarvex/locks/") + gameKey + QStringLiteral(".lock");
}
QString ProgramLogFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Tarvex/logs/"); }
QString ProgramLog(const QString& gameKey) { return ProgramLogFolder() + gameKey + QStringLiteral(".log"); }
QString PrefixLog() { return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Tarvex/wine-prefix.log"); }
QString SettingsFile() { return XdgFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("Tarvex/NimboClient.conf"); }

QString DesktopFolder() {
  // No desktop folder is no folder at all, never the file-system root.
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  return desktop.isEmpty() ? QString() : WithSlash(desktop);
}

QString ApplicationsFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("applications/"); }
QString MenuEntry(const QString& gameKey) {
  return ApplicationsFolder() + QStringLiteral("tarvex-") + gameKey + QStringLiteral(".desktop");
}
QString IconThemeFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("icons/hicolor/"); }
QString ThemeIconName(const QString& gameKey) { return QStringLiteral("tarvex-") + gameKey; }
QString ThemeIcon(const QString& gameKey, int size) {
  return IconThemeFolder() + QStringLiteral("%1x%1/apps/").arg(size) + ThemeIconName(gameKey) + QStringLiteral(".png");
}

QString DownloadFolder() {
  return WithSlash(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

QString InstalledClient() { return QStringLiteral(TARVEX_INSTALLED_CLIENT); }
QString InstalledCompanion() { return QStringLiteral(TARVEX_INSTALLED_COMPANION); }

QString Companion() {
  const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/" TARVEX_COMPANION_NAME);
  return QFileInfo(beside).isExecutable() ? beside : InstalledCompanion();
}

std::optional<QString> GetBrowserCachePath() {
  const QString home = QDir::homePath();
  if (qgetenv("XDG_CACHE_HOME").isEmpty() && (home.isEmpty() || home == QLatin1String("/")))
    return std::nullopt;
  return XdgFolder("XDG_CACHE_HOME", ".cache") + QStringLiteral("Wexlod");
}

std::optional<QString> ProfileLockFile() {
  const std::optional<QString> profile = GetBrowserCachePath();
  return profile ? std::optional<QString>(*profile + QStringLiteral("/NimboClient.lock")) : std::nullopt;
}

QString InstanceSocket(const QString& windowTitle) {
  return RuntimeFolder() + windowTitle + QLatin1Char('-') + QString::number(::getuid());
}

}  // namespace tarvex::paths
