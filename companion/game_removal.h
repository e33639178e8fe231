#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// What uninstalling a game removes, and nothing else: the game's folder Box/games/KEY with
// everything in it, found without following a link (a link is removed, never what it
// points at), the shortcuts and the menu entry that carry the game's key line, its icons
// in the icon theme, its log and its installer lock. In the order of removal: what a
// folder holds before the folder, the lock last. Empty when none of it is there.
QStringList RemovalList(const QString& gameKey);

// Removes each path of the list as the entry it is (a folder with rmdir, anything else,
// links included, with unlink). Returns the paths that could not be removed.
QStringList RemoveEntries(const QStringList& entries);

}  // namespace tarvex
