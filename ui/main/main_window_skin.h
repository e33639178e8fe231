#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace tarvex {

inline constexpr int kMainCloseButtonId = 10005;
inline constexpr int kMainMinimizeButtonId = 10006;
inline constexpr int kMainClearCacheButtonId = 10012;
inline constexpr int kMainHomeButtonId = 10013;

// The main window's skin: background bitmap 191 tiled from the top-left corner, dragging by
// the background (`lastDragPoint` is the main window class's last cursor point), and the
// four skin buttons of its strip, created in the order 10005 (close, a cross), 10006
// (minimise, a dash), 10013 ("홈으로") and 10012 ("캐시 삭제"). A click on one of them
// calls `onCommand` with its id.
void ApplyMainWindowSkin(QWidget* window, QPoint& lastDragPoint, std::function<void(int)> onCommand);

// Starts decoding the main window's 1320 × 820 background now, on a worker thread; the
// program calls it first thing, so the decode runs while QApplication sets itself up.
void PrefetchMainWindowSkin();

}  // namespace tarvex
