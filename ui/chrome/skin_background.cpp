#include "ui/chrome/skin_background.h"

#include "ui/chrome/skin_resources.h"

#include <QBrush>
#include <QPalette>
#include <QWidget>

namespace tarvex {

void ApplySkinBackground(QWidget* window, int bitmapId) {
  QPalette colours = window->palette();
  colours.setBrush(QPalette::Window, QBrush(LoadSkinPixmap(bitmapId)));
  window->setPalette(colours);
  window->setAutoFillBackground(true);
}

}  // namespace tarvex
