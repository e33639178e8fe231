#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace tarvex {

// Moves a window when its background is dragged. `lastPoint` is the last cursor point
// (client coordinates) of the window's class, shared by all its instances: a move with
// exactly the left button held and no modifier moves the window by the distance from that
// point, which the cursor then returns to, so it stays the grab point for the whole drag;
// every other move, and every press, stores the point. Mouse tracking is switched on so
// that moves without a button keep the point current. Clicks on child controls stay with
// them; children that let mouse events through pass them on to the window. A Wayland client
// cannot move itself: there the drag's first move hands the move to the compositor.
class WindowDragger final : public QObject {
 public:
  WindowDragger(QWidget* window, QPoint& lastPoint);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_window;
  QPoint& m_lastPoint;
  bool m_compositorMoves;
};

}  // namespace tarvex
