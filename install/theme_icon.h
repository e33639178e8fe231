#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// Puts a game's Windows icon (paths::GameIcon, KEY.ico) into the user's icon theme as
// PNG files, one per size the icon holds (paths::ThemeIcon), so desktops that show no .ico
// find it by name. Returns what a desktop entry names as its icon: the theme name when at
// least one PNG was written, the .ico's path otherwise.
QString InstallThemeIcons(const QString& gameKey);

// The game's PNG files in the icon theme, whatever their sizes.
QStringList ThemeIconFiles(const QString& gameKey);

}  // namespace tarvex
