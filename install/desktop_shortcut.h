#pragma once

#include <QString>

namespace tarvex {

namespace launch {
struct Shortcut;
}

// Writes DESKTOP/NAME.desktop, a desktop entry that starts the installed launcher with
// the shortcut's one argument, carrying the game's icon and key. An existing entry of that
// name is replaced only when the launcher wrote it (it carries the key line); any other
// file is left alone. Returns whether the file was written; fails when the desktop folder
// does not exist.
bool WriteDesktopShortcut(const launch::Shortcut& shortcut);

// Writes the game's entry in the applications menu (paths::MenuEntry), the same entry as
// the shortcut, under the same rule, then refreshes the menu's database where the tool is
// installed. Returns whether the file was written.
bool WriteMenuEntry(const launch::Shortcut& shortcut);

// Runs update-desktop-database on the applications folder, when both are there.
void RefreshMenuDatabase();

// The text of both entries: the game in the Game category, its running window grouped
// with the entry by its class, and the actions Uninstall, Stop the game and Show the log,
// which run `companion` with the action and the game's key (the launcher's own command
// line, the launch parameter, stays the shortcut's argument alone).
QString DesktopEntryText(const launch::Shortcut& shortcut, const QString& launcher, const QString& companion);

// The class wine gives a game's windows: the executable's file name, KEY.exe, in lower case.
QString GameWindowClass(const QString& gameKey);

// Whether `fileName` is a plain file carrying the key line of this game: an entry the
// launcher wrote for it, and so one the launcher may remove.
bool IsEntryOfGame(const QString& fileName, const QString& gameKey);

// `argument` as one argument of a desktop entry's Exec line, quoted and escaped so that a
// reader gets back exactly `argument`.
QString QuoteExecArgument(const QString& argument);

}  // namespace tarvex
