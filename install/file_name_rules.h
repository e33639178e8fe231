#pragma once

#include <QString>

// What the launcher accepts as names that end up in file paths. Game keys and game names
// come from the portal's addresses; a "/" or ".." in them would reach outside the games
// folder or the desktop.
namespace tarvex {

// A game key names a folder and files below the games folder. The empty key is allowed
// (nothing of that name is ever installed, so it leads to the download window).
bool IsAcceptableGameKey(const QString& key);

// A single, non-empty file name: no '/', no control character (NUL included), not "."
// or "..".
bool IsSingleFileName(const QString& name);

}  // namespace tarvex
