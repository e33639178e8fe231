#pragma once

#include <QImage>
#include <QPixmap>

namespace tarvex {

// The skin compiled into the program: one file per numeric resource id under ":/skin/".

// Bitmap resource `id` (":/skin/<id>.bmp"); a null pixmap when there is none.
QPixmap LoadSkinPixmap(int id);
// PNG resource `id` (":/skin/<id>.png") decoded; a null image when missing or undecodable.
QImage LoadPngResource(int id);

}  // namespace tarvex
