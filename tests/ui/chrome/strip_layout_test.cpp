#include "ui/chrome/strip_layout.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct SlotCase {
  int slot;
  int right;
  QRect creation;  // left, top, right, bottom as the window's table gives them
  int clientWidth;
  QRect layout;
};

QRect Edges(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

TEST(StripLayout, ButtonRectanglesAtCreationAndAfterALayoutPass) {
  const SlotCase cases[] = {
      // The game window's nine slots on a work area whose right edge is 1920.
      {0, 1920, Edges(1893, 5, 1913, 25), 1920, Edges(1899, 1, 1919, 21)},
      {1, 1920, Edges(1871, 5, 1891, 25), 1000, Edges(957, 1, 977, 21)},
      {2, 1920, Edges(1849, 5, 1869, 25), 1000, Edges(935, 1, 955, 21)},
      {3, 1920, Edges(1827, 5, 1847, 25), 1000, Edges(913, 1, 933, 21)},
      {4, 1920, Edges(1752, 6, 1790, 24), 1000, Edges(832, 5, 870, 23)},
      {5, 1920, Edges(1712, 6, 1750, 24), 1000, Edges(792, 5, 830, 23)},
      {6, 1920, Edges(1672, 6, 1710, 24), 1000, Edges(752, 5, 790, 23)},
      {7, 1920, Edges(1632, 6, 1670, 24), 1000, Edges(712, 5, 750, 23)},
      {8, 1920, Edges(1592, 6, 1630, 24), 1000, Edges(672, 5, 710, 23)},
      // The pay window, right-aligned to its own width.
      {0, 420, Edges(393, 5, 413, 25), 420, Edges(399, 1, 419, 21)},
      {1, 420, Edges(371, 5, 391, 25), 420, Edges(377, 1, 397, 21)},
      {2, 420, Edges(349, 5, 369, 25), 420, Edges(355, 1, 375, 21)},
      {0, 800, Edges(773, 5, 793, 25), 1920, Edges(1899, 1, 1919, 21)},
      // A narrow window still places by the formula, even off the left edge.
      {8, 300, Edges(-28, 6, 10, 24), 300, Edges(-28, 5, 10, 23)},
  };
  for (const SlotCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "slot " << c.slot << " right " << c.right);
    const QRect creation = StripButtonCreationRect(c.slot, c.right);
    EXPECT_EQ(creation, c.creation);
    EXPECT_EQ(StripButtonLayoutRect(c.slot, creation.size(), c.clientWidth), c.layout);
  }
}

TEST(StripLayout, ALayoutPassKeepsTheControlsOwnSize) {
  EXPECT_EQ(StripButtonLayoutRect(2, QSize(7, 9), 500), QRect(448, 1, 7, 9));
  EXPECT_EQ(StripButtonLayoutRect(6, QSize(0, 0), 500), QRect(290, 5, 0, 0));
}

}  // namespace
}  // namespace tarvex
