#include "ui/chrome/window_dragger.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace tarvex {

WindowDragger::WindowDragger(QWidget* window, QPoint& lastPoint)
    : QObject(window),
      m_window(window),
      m_lastPoint(lastPoint),
      m_compositorMoves(QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
  window->setMouseTracking(true);
  window->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_window) return false;
  if (event->type() == QEvent::MouseButtonPress) {
    // The press point is where the cursor grabbed the window, even when no move without
    // a button came before it (a window that appeared under a resting cursor).
    m_lastPoint = static_cast<QMouseEvent*>(event)->position().toPoint();
    return false;
  }
  if (event->type() != QEvent::MouseMove) return false;
  const auto* move = static_cast<QMouseEvent*>(event);
  const QPoint point = move->position().toPoint();
  if (move->buttons() == Qt::LeftButton && move->modifiers() == Qt::NoModifier &&
      point != m_lastPoint) {
    if (m_compositorMoves) {
      // The compositor follows the cursor until the button is released.
      if (QWindow* handle = m_window->windowHandle()) handle->startSystemMove();
      return true;
    }
    m_window->move(m_window->pos() + (point - m_lastPoint));
    return true;
  }
  m_lastPoint = point;
  return false;
}

}  // namespace tarvex
