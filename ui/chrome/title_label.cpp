#include "ui/chrome/title_label.h"

#include "ui/chrome/control_ids.h"
#include "ui/chrome/control_lookup.h"

namespace tarvex {
namespace {
// The window template's static text: 302 x 14 dialog units of an 8-point dialog font.
constexpr QSize kLabelSize(453, 23);
constexpr QColor kGold(255, 215, 0);
}  // namespace

TitleLabel::TitleLabel(QWidget* parent) : QLabel(QStringLiteral("Static"), parent) {
  SetControlId(this, kTitleLabelId);
  setGeometry(QRect(QPoint(0, 0), kLabelSize));
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setAutoFillBackground(false);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, kGold);
  setPalette(colours);
}

}  // namespace tarvex
