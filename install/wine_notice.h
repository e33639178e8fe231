#pragma once

#include <QString>

class QWidget;

namespace tarvex {

class Prompt;

// Tells the user that game `game` could not start because Windows programs need wine, and
// which Debian package brings it; in Korean with the Chinese text beneath. `owner` may be
// null.
void TellWineMissing(Prompt& prompt, QWidget* owner, const QString& game);

// Tells the user that game `game` is a 32-bit Windows program and the wine here runs only
// 64-bit ones, with the commands that bring 32-bit wine.
void TellWine32Missing(Prompt& prompt, QWidget* owner, const QString& game);

// Tells the user that game `game` needs the locale `locale`, which the system lacks, so its
// texts may be garbled, and how to install it (every locale, or this one).
void TellLocaleMissing(Prompt& prompt, QWidget* owner, const QString& game, const QString& locale);

}  // namespace tarvex
