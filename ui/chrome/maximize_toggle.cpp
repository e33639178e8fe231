#include "ui/chrome/maximize_toggle.h"

#include "ui/chrome/control_ids.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tarvex {
namespace {
QScreen* ScreenOf(const QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}
}  // namespace

void ToggleMaximize(QWidget* window, const QString& stateText, QSize restoreSize, QWidget* owner) {
  if (!FindControl(window, kMarkerButtonId)) {
    auto* marker = new SkinButton(kMarkerButtonId, QRect(0, 0, 0, 0), window);
    marker->LoadBitmaps(kMarkerButtonBitmapId, kMarkerButtonBitmapId, kMarkerButtonBitmapId, kMarkerButtonBitmapId);
  }
  auto* button = static_cast<SkinButton*>(FindControl(window, kMaximizeButtonId));
  if (stateText == QLatin1String(kMaxStateText)) {
    // Without a screen (during a screen change) there is nothing to fill: the state stays.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    button->setText(QLatin1String(kRestoreStateText));
    button->LoadBitmaps(kRestoreButtonBitmapId, kRestoreButtonSelectedBitmapId, kRestoreButtonBitmapId,
                        kRestoreButtonSelectedBitmapId);
    const QRect workArea = primary->availableGeometry();
    window->setGeometry(0, 0, primary->geometry().width(), workArea.y() + workArea.height());
    window->showNormal();
    return;
  }
  button->setText(QLatin1String(kMaxStateText));
  button->LoadBitmaps(kMaximizeButtonBitmapId, kMaximizeButtonSelectedBitmapId, kMaximizeButtonBitmapId,
                      kMaximizeButtonSelectedBitmapId);
  window->setGeometry(QRect(QPoint(0, 0), restoreSize));
  CenterWindow(window, owner);
}

void CenterWindow(QWidget* window, const QWidget* owner) {
  const QScreen* screen = ScreenOf(window);
  if (!screen) return;  // no screen to keep the window on: it stays where it is
  const QRect workArea = screen->availableGeometry();
  const QRect reference = owner && owner->isVisible() ? owner->frameGeometry() : workArea;
  QRect frame = window->frameGeometry();
  frame.moveCenter(reference.center());
  const int left = std::max(workArea.left(), std::min(frame.left(), workArea.right() + 1 - frame.width()));
  const int top = std::max(workArea.top(), std::min(frame.top(), workArea.bottom() + 1 - frame.height()));
  window->move(left, top);
}

}  // namespace tarvex
