#include "ui/main/main_window_skin.h"

#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_background.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"
#include "ui/chrome/window_dragger.h"

#include <QWidget>

namespace tarvex {
namespace {

struct MainButton {
  int id;
  QRect rect;
  int normal;
  int selected;
  ControlRole role;
};

constexpr MainButton kButtons[] = {
    {kMainCloseButtonId, QRect(1287, 12, 15, 15), kMainCloseButtonBitmapId, kMainCloseButtonSelectedBitmapId,
     {"닫기", "Close"}},
    {kMainMinimizeButtonId, QRect(1258, 12, 15, 15), kMainMinimizeButtonBitmapId, kMainMinimizeButtonSelectedBitmapId,
     {"최소화", "Minimise"}},
    {kMainHomeButtonId, QRect(1124, 7, 58, 24), kMainHomeButtonBitmapId, kMainHomeButtonSelectedBitmapId,
     {"홈으로", "Home"}},
    {kMainClearCacheButtonId, QRect(1182, 7, 58, 24), kMainClearCacheButtonBitmapId,
     kMainClearCacheButtonSelectedBitmapId, {"캐시 삭제", "Clear cache"}},
};

}  // namespace

void ApplyMainWindowSkin(QWidget* window, QPoint& lastDragPoint, std::function<void(int)> onCommand) {
  ApplySkinBackground(window, kMainBackgroundBitmapId);
  new WindowDragger(window, lastDragPoint);
  for (const MainButton& entry : kButtons) {
    auto* button = new SkinButton(entry.id, entry.rect, window);
    button->LoadBitmaps(entry.normal, entry.selected, entry.normal, entry.selected);
    SetControlRole(button, entry.role);
    QObject::connect(button, &SkinButton::clicked, window, [onCommand, id = entry.id] { onCommand(id); });
  }
}

void PrefetchMainWindowSkin() { PrefetchSkinBitmaps({kMainBackgroundBitmapId}); }

}  // namespace tarvex
