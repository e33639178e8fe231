#include "ui/chrome/skin_resources.h"

#include <QString>

namespace tarvex {

QPixmap LoadSkinPixmap(int id) {
  return QPixmap(QStringLiteral(":/skin/%1.bmp").arg(id), "BMP");
}

QImage LoadPngResource(int id) {
  return QImage(QStringLiteral(":/skin/%1.png").arg(id), "PNG");
}

}  // namespace tarvex
