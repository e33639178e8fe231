#pragma once

#include <QImage>
#include <QPixmap>

#include <initializer_list>

namespace tarvex {

// The skin compiled into the program: one file per numeric resource id under ":/skin/".

// Bitmap resource `id` (":/skin/<id>.bmp"); a null pixmap when there is none. A bitmap
// prefetched by PrefetchSkinBitmaps is taken from there (waiting for it if needed), once.
QPixmap LoadSkinPixmap(int id);
// PNG resource `id` (":/skin/<id>.png") decoded; a null image when missing or undecodable.
QImage LoadPngResource(int id);

// Starts decoding the bitmaps `ids` on a worker thread, so a large one is ready by the
// time its window is built instead of being decoded on the GUI thread then. May be called
// before QApplication exists (resources and image decoding need no application object),
// which is the point: the decode overlaps the application's own set-up.
void PrefetchSkinBitmaps(std::initializer_list<int> ids);

}  // namespace tarvex
