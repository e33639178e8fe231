#pragma once

#include <QImage>

class QPainter;

namespace tarvex {

// The 30-pixel strip at the top of the game and pay windows: PNG 173 stretched to the
// work area's width + 50 (the work area's, not the window's), and for the game window the
// logo PNG 174 at (5, 3), 25 x 25. The images are decoded once per strip.
class TitleStrip final {
 public:
  explicit TitleStrip(bool withLogo);

  void Paint(QPainter& painter, int workAreaWidth) const;

 private:
  QImage m_titleImage;
  QImage m_logoImage;
};

}  // namespace tarvex
