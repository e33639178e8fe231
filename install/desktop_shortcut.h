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

// The text of that entry.
QString DesktopEntryText(const launch::Shortcut& shortcut, const QString& launcher);

// `argument` as one argument of a desktop entry's Exec line, quoted and escaped so that a
// reader gets back exactly `argument`.
QString QuoteExecArgument(const QString& argument);

}  // namespace tarvex
