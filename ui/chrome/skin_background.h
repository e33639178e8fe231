#pragma once

class QWidget;

namespace tarvex {

// Fills `window`'s background with bitmap `bitmapId` tiled from its top-left corner
// (191 for the main window, 175 for the download window). Child controls without a
// background of their own show it through.
void ApplySkinBackground(QWidget* window, int bitmapId);

}  // namespace tarvex
