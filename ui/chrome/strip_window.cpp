#include "ui/chrome/strip_window.h"

#include "ui/chrome/control_ids.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/maximize_toggle.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/strip_layout.h"
#include "ui/chrome/title_label.h"
#include "ui/chrome/window_dragger.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tarvex {
namespace {

// The roles of the strip buttons 20001, 20002, ... by slot.
constexpr ControlRole kStripButtonRoles[] = {
    {"닫기", "Close"},         {"최대화", "Maximise"},           {"최소화", "Minimise"},
    {"트레이", "Tray"},        {"새로 고침", "Reload"},          {"쿠키 삭제", "Clear cookies"},
    {"고객 센터", "Customer service"}, {"팬 페이지", "Fan page"}, {"충전", "Recharge"},
};

}  // namespace

StripWindow::StripWindow(QPoint& lastDragPoint, bool withLogo)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_titleStrip(withLogo),
      m_label(new TitleLabel(this)) {
  new WindowDragger(this, lastDragPoint);
}

QWidget* StripWindow::Control(int id) const { return FindControl(this, id); }

SkinButton* StripWindow::Button(int id) const { return qobject_cast<SkinButton*>(Control(id)); }

void StripWindow::CreateButtons(std::span<const StripButtonBitmaps> bitmaps, int right) {
  for (int slot = 0; slot < static_cast<int>(bitmaps.size()); ++slot) {
    const int id = kCloseButtonId + slot;
    auto* button = new SkinButton(id, StripButtonCreationRect(slot, right), this);
    button->LoadBitmaps(bitmaps[slot].normal, bitmaps[slot].selected, bitmaps[slot].normal,
                        bitmaps[slot].selected);
    SetControlRole(button, kStripButtonRoles[slot]);
    connect(button, &SkinButton::clicked, this, [this, id] { OnCommand(id); });
  }
}

void StripWindow::ShowTitle(QPoint position, const QString& text) {
  m_label->move(position);
  m_label->setText(text);
}

bool StripWindow::LayoutButtons(int count, int clientWidth) {
  for (int slot = 0; slot < count; ++slot) {
    QWidget* control = Control(kCloseButtonId + slot);
    if (!control) return false;
    control->setGeometry(StripButtonLayoutRect(slot, control->size(), clientWidth));
  }
  return true;
}

void StripWindow::ToggleMaximizeState(QSize restoreSize, QWidget* owner) {
  ToggleMaximize(this, Button(kMaximizeButtonId)->text(), restoreSize, owner);
}

void StripWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Without a screen (during a screen change) the strip spans the window.
  const QScreen* screen = QGuiApplication::primaryScreen();
  m_titleStrip.Paint(painter, screen ? screen->availableGeometry().width() : width());
}

}  // namespace tarvex
