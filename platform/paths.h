#pragma once

#include <QString>

#include <optional>

// Every file-system location the launcher uses is composed here and nowhere else.
// Folder results end with '/', file results do not.
namespace tarvex::paths {

QString DataRoot();        // $XDG_DATA_HOME/Tarvex/
QString BoxFolder();       // <root>/Box/
QString TokenFile();       // <root>/Box/ONEREAD.TXT
QString GamesFolder();     // <root>/Box/games/
QString GameFolder(const QString& gameKey);
QString GameExecutable(const QString& gameKey);  // <root>/Box/games/KEY/KEY.exe
QString GameIcon(const QString& gameKey);        // <root>/Box/games/KEY/KEY.ico
QString InstallerFolder();                       // $XDG_CACHE_HOME/Tarvex/tmp/ (private, 0700)
QString InstallerPath(const QString& gameKey);   // <installer folder>/KEY-7z.exe
// The launcher's own Wine prefix, <root>/wine/, and the link in it by which C:\Tarvex\Box
// is the Box folder: <root>/wine/drive_c/Tarvex/Box (no trailing '/': it is the link).
QString WinePrefix();
QString WinePrefixBox();
// What wine printed for a game's installer and the game: $XDG_CACHE_HOME/Tarvex/logs/KEY.log
// $XDG_CACHE_HOME/Tarvex/locks/KEY.lock: held while a game's installer is downloaded or runs.
QString InstallerLock(const QString& gameKey);
QString ProgramLogFolder();
QString ProgramLog(const QString& gameKey);
// wine's output while it makes the launcher's prefix: $XDG_CACHE_HOME/Tarvex/wine-prefix.log.
QString PrefixLog();
// The user's settings: $XDG_CONFIG_HOME/Tarvex/NimboClient.conf (an INI file, read only):
// [locale] KEY=LOCALE, GameMode=false.
QString SettingsFile();
QString DesktopFolder();  // empty when the user has none
// The applications menu: $XDG_DATA_HOME/applications/, and a game's entry in it,
// tarvex-KEY.desktop.
QString ApplicationsFolder();
QString MenuEntry(const QString& gameKey);
// The user's hicolor icon theme, $XDG_DATA_HOME/icons/hicolor/, and a game's icon in it:
// the name tarvex-KEY, a PNG file per size, SIZExSIZE/apps/tarvex-KEY.png.
QString IconThemeFolder();
QString ThemeIconName(const QString& gameKey);
QString ThemeIcon(const QString& gameKey, int size);
QString DownloadFolder();
// The client as installed: the target of every game shortcut, whatever path runs now.
QString InstalledClient();
// The companion command (installed beside the client) that the games' desktop actions run.
QString InstalledCompanion();
// The companion that runs games: the one beside the running program, else the installed one.
QString Companion();
// The browser's persistent profile and cache ($XDG_CACHE_HOME/Wexlod); none when the
// user's cache location cannot be determined.
std::optional<QString> GetBrowserCachePath();
// The file in that folder whose lock an instance holds for as long as it may use the
// profile; none without the folder.
std::optional<QString> ProfileLockFile();
// The per-user local socket by which a starting instance reaches the running one, in
// $XDG_RUNTIME_DIR; without that, in a folder of the user's own (0700) in the temporary
// folder or, when that one is someone else's or open to others, in the cache.
QString InstanceSocket(const QString& windowTitle);

}  // namespace tarvex::paths
