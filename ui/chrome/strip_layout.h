#pragma once

#include <QRect>

namespace tarvex {

// Where the title-strip buttons of the game and pay windows sit. Slot i holds control
// 20001 + i; slots 0-3 are the 20 x 20 window buttons, slots 4-8 the game window's
// 38 x 18 text buttons, both counted from the right edge.

// At creation, right-aligned to `right` (the work area's right edge for the game window,
// the window's width for the pay window).
QRect StripButtonCreationRect(int slot, int right);

// After a layout pass for client width `clientWidth`: the control keeps `size`; the small
// buttons end 6 pixels further right and 4 higher than at creation, the wide ones 1 higher.
QRect StripButtonLayoutRect(int slot, QSize size, int clientWidth);

}  // namespace tarvex
