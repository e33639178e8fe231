#pragma once

#include <QString>

namespace tarvex {

// What a window says while wine's prefix is prepared for a Windows program (made, or
// updated after wine changed): Korean, with Chinese on the line beneath. The download
// window and a game's start say the same.
QString WindowsPreparationText();

}  // namespace tarvex
