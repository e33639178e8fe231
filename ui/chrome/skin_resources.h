#pragma once

#include <QImage>
#include <QPixmap>

#include <initializer_list>

namespace tarvex {

// The skin compiled into the program: one file per numeric resource id under ":/skin/".
// tools/skin draws them. A button has a normal bitmap and a selected (pressed) one.

// The title strips of the game and pay windows: their image, the game window's logo, and
// the 20 x 20 glyph buttons.
inline constexpr int kTitleStripPngId = 173;
inline constexpr int kLogoPngId = 174;
inline constexpr int kCloseButtonBitmapId = 146;
inline constexpr int kCloseButtonSelectedBitmapId = 145;
inline constexpr int kMaximizeButtonBitmapId = 155;
inline constexpr int kMaximizeButtonSelectedBitmapId = 154;
inline constexpr int kRestoreButtonBitmapId = 151;
inline constexpr int kRestoreButtonSelectedBitmapId = 150;
inline constexpr int kMinimizeButtonBitmapId = 153;
inline constexpr int kMinimizeButtonSelectedBitmapId = 152;
inline constexpr int kTrayButtonBitmapId = 144;
inline constexpr int kTrayButtonSelectedBitmapId = 143;
// The game window's 38 x 18 text buttons.
inline constexpr int kReloadButtonBitmapId = 162;
inline constexpr int kReloadButtonSelectedBitmapId = 163;
inline constexpr int kClearCookiesButtonBitmapId = 147;
inline constexpr int kClearCookiesButtonSelectedBitmapId = 148;
inline constexpr int kServiceButtonBitmapId = 160;
inline constexpr int kServiceButtonSelectedBitmapId = 161;
inline constexpr int kFanPageButtonBitmapId = 156;
inline constexpr int kFanPageButtonSelectedBitmapId = 157;
inline constexpr int kRechargeButtonBitmapId = 158;
inline constexpr int kRechargeButtonSelectedBitmapId = 159;
// The 16 x 16 face of the invisible marker button.
inline constexpr int kMarkerButtonBitmapId = 149;

// The window backgrounds.
inline constexpr int kLoadBackgroundBitmapId = 175;
inline constexpr int kMainBackgroundBitmapId = 191;

// The main window's buttons: the close cross, the minimise dash, "캐시 삭제" and "홈으로".
inline constexpr int kMainCloseButtonBitmapId = 182;
inline constexpr int kMainCloseButtonSelectedBitmapId = 183;
inline constexpr int kMainMinimizeButtonBitmapId = 187;
inline constexpr int kMainMinimizeButtonSelectedBitmapId = 188;
inline constexpr int kMainClearCacheButtonBitmapId = 192;
inline constexpr int kMainClearCacheButtonSelectedBitmapId = 193;
inline constexpr int kMainHomeButtonBitmapId = 194;
inline constexpr int kMainHomeButtonSelectedBitmapId = 195;

// The application's icon, also the tray's.
inline constexpr int kAppIconId = 128;

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
