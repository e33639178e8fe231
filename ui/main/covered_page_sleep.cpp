#include "ui/main/covered_page_sleep.h"

#include "browser/page_sleep.h"
#include "ui/views/game_view_rules.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tarvex {
namespace {

WindowPlace PlaceOf(const QWidget& window) {
  const QScreen* screen = window.screen();
  return WindowPlace{window.frameGeometry(), window.isVisible(), window.isMinimized(),
                     screen ? screen->name() : QString()};
}

// A native Wayland client is not told where its windows are.
bool WindowPositionsKnown() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

bool ChangesWhatCanBeSeen(QEvent::Type type) {
  switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
      return true;
    default:
      return false;
  }
}

}  // namespace

CoveredPageSleep::CoveredPageSleep(QWidget* mainWindow) : m_mainWindow(mainWindow) {
  m_mainWindow->installEventFilter(this);
  // A window raised or lowered without a change of the active window (a click on the
  // taskbar, another program's window in between) shows only in the stacking order.
  connect(&m_stacking, &WindowStacking::changed, this, &CoveredPageSleep::Update);
}

void CoveredPageSleep::SetBrowser(QWidget* browser) {
  m_sleep = new PageSleep(browser);
  Update();
}

void CoveredPageSleep::Watch(QWidget* gameWindow) {
  m_gameWindows.append(gameWindow);
  gameWindow->installEventFilter(this);
  connect(gameWindow, &QObject::destroyed, this, &CoveredPageSleep::Update);
}

void CoveredPageSleep::Wake() {
  if (m_sleep) m_sleep->Wake();
}

bool CoveredPageSleep::eventFilter(QObject* watched, QEvent* event) {
  // The window's own state already reflects the event when it arrives: the decision is
  // made before anything is drawn.
  if (ChangesWhatCanBeSeen(event->type())) Update();
  return QObject::eventFilter(watched, event);
}

bool CoveredPageSleep::Covered() const {
  const WindowPlace main = PlaceOf(*m_mainWindow);
  const bool mainActive = m_mainWindow->isActiveWindow();
  const bool positionsKnown = WindowPositionsKnown();
  const QList<quintptr> bottomToTop = m_stacking.BottomToTop();
  return std::any_of(m_gameWindows.begin(), m_gameWindows.end(), [&](const QPointer<QWidget>& game) {
    if (!game) return false;
    const InFront inFront = WindowInFront(bottomToTop, game->internalWinId(), m_mainWindow->internalWinId(),
                                          game->isActiveWindow(), mainActive);
    return GameWindowCoversMainWindow(PlaceOf(*game), main, inFront, positionsKnown);
  });
}

void CoveredPageSleep::Update() {
  m_gameWindows.removeIf([](const QPointer<QWidget>& window) { return window.isNull(); });
  if (!m_sleep) return;
  if (Covered())
    m_sleep->Sleep();
  else
    m_sleep->Wake();
}

}  // namespace tarvex
