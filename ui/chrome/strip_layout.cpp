#include "ui/chrome/strip_layout.h"

namespace tarvex {
namespace {
constexpr int kSmallSlots = 4;
constexpr QSize kSmallButtonSize(20, 20);
constexpr QSize kWideButtonSize(38, 18);
// From one slot to the next: the button and a 2-pixel gap.
constexpr int kSmallButtonPitch = kSmallButtonSize.width() + 2;
constexpr int kWideButtonPitch = kWideButtonSize.width() + 2;
}  // namespace

QRect StripButtonCreationRect(int slot, int right) {
  if (slot < kSmallSlots) return QRect(QPoint(right - kSmallButtonPitch * slot - 27, 5), kSmallButtonSize);
  return QRect(QPoint(right - kWideButtonPitch * slot - 8, 6), kWideButtonSize);
}

QRect StripButtonLayoutRect(int slot, QSize size, int clientWidth) {
  const int rightEdge = slot < kSmallSlots ? clientWidth - kSmallButtonPitch * slot - 1
                                           : clientWidth - kWideButtonPitch * slot + 30;
  const int top = slot < kSmallSlots ? 1 : 5;
  return QRect(QPoint(rightEdge - size.width(), top), size);
}

}  // namespace tarvex
