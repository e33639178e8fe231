#include "ui/chrome/title_strip.h"

#include "ui/chrome/skin_resources.h"

#include <QPainter>

namespace tarvex {
namespace {
constexpr int kStripHeight = 30;
constexpr int kStripExtraWidth = 50;
constexpr QRect kLogoRect(5, 3, 25, 25);
}  // namespace

TitleStrip::TitleStrip(bool withLogo)
    : m_titleImage(LoadPngResource(kTitleStripPngId)),
      m_logoImage(withLogo ? LoadPngResource(kLogoPngId) : QImage()) {}

void TitleStrip::Paint(QPainter& painter, int workAreaWidth) const {
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!m_titleImage.isNull())
    painter.drawImage(QRect(0, 0, workAreaWidth + kStripExtraWidth, kStripHeight), m_titleImage);
  if (!m_logoImage.isNull()) painter.drawImage(kLogoRect, m_logoImage);
}

}  // namespace tarvex
