#pragma once

#include "platform/window_stacking.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tarvex {

class PageSleep;

// Keeps the main window's page asleep while a game window covers the main window, so that
// during play only the game runs, and wakes it the moment it can be seen again: the game
// window minimised, sent to the tray, restored to its smaller size, moved away or closed,
// or the main window activated or raised above it. Follows the main window and every game
// window it is given, and the window system's stacking order.
class CoveredPageSleep final : public QObject {
  Q_OBJECT

 public:
  // `mainWindow` must outlive this object.
  explicit CoveredPageSleep(QWidget* mainWindow);

  // The main window's browser, once it exists (a widget made by CreateBrowser).
  void SetBrowser(QWidget* browser);
  // Follows `gameWindow` from now on, until it is destroyed; call before it is shown.
  void Watch(QWidget* gameWindow);
  // Wakes the page, covered or not, before something is loaded into it; it goes back to
  // sleep with the next change of the windows that leaves it covered.
  void Wake();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Covered() const;
  void Update();

  QWidget* m_mainWindow;
  QList<QPointer<QWidget>> m_gameWindows;
  QPointer<PageSleep> m_sleep;
  WindowStacking m_stacking;
};

}  // namespace tarvex
