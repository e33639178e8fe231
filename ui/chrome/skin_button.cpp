#include "ui/chrome/skin_button.h"

#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_resources.h"

#include <QPainter>

namespace tarvex {

SkinButton::SkinButton(int id, const QRect& rect, QWidget* parent) : QAbstractButton(parent) {
  SetControlId(this, id);
  setGeometry(rect);
  show();
}

void SkinButton::LoadBitmaps(int normal, int selected, int focus, int disabled) {
  m_pixmaps = {};
  m_pixmaps[static_cast<int>(State::Normal)] = LoadSkinPixmap(normal);
  if (!m_pixmaps[static_cast<int>(State::Normal)].isNull()) {
    m_pixmaps[static_cast<int>(State::Selected)] = LoadSkinPixmap(selected);
    m_pixmaps[static_cast<int>(State::Focus)] = LoadSkinPixmap(focus);
    m_pixmaps[static_cast<int>(State::Disabled)] = LoadSkinPixmap(disabled);
  }
  update();
}

SkinButton::State SkinButton::PaintedState() const {
  if (isDown() && !Pixmap(State::Selected).isNull()) return State::Selected;
  if (hasFocus() && !Pixmap(State::Focus).isNull()) return State::Focus;
  if (!isEnabled() && !Pixmap(State::Disabled).isNull()) return State::Disabled;
  return State::Normal;
}

void SkinButton::paintEvent(QPaintEvent*) {
  const QPixmap& pixmap = Pixmap(PaintedState());
  if (pixmap.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap);
}

}  // namespace tarvex
