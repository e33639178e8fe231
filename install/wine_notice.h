#pragma once

#include <QString>

class QWidget;

namespace tarvex {

class Prompt;

// Tells the user that game `game` could not start because Windows programs need wine, and
// which Debian package brings it; in Korean with the Chinese text beneath. `owner` may be
// null.
void TellWineMissing(Prompt& prompt, QWidget* owner, const QString& game);

}  // namespace tarvex
