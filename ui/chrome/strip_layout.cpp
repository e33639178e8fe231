#include "ui/chrome/strip_layout.h"

namespace tarvex {
namespace {
constexpr int kSmallSlots = 4;
constexpr QSize kSmallButtonSize(20, 20);
constexpr QSize kWideButtonSize(38, 18);
}  // namespace

QRect StripButtonCreationRect(int slot, int right) {
  if (slot < kSmallSlots) return QRect(QPoint(right - 22 * slot - 27, 5), kSmallButtonSize);
  return QRect(QPoint(right - 40 * slot - 8, 6), kWideButtonSize);
}

QRect StripButtonLayoutRect(int slot, QSize size, int clientWidth) {
  const int rightEdge = slot < kSmallSlots ? clientWidth - 22 * slot - 1 : clientWidth - 40 * slot + 30;
  const int top = slot < kSmallSlots ? 1 : 5;
  return QRect(QPoint(rightEdge - size.width(), top), size);
}

}  // namespace tarvex
