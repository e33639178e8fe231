// The main window's skin on a real window under the virtual X server.
#include "ui/main/main_window_skin.h"

#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

QPoint g_lastDragPoint;

TEST(MainWindowSkin, FourButtonsAtTheirRectanglesOverTheTiledBackground) {
  QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window.resize(1320, 820);
  QList<int> clicked;
  ApplyMainWindowSkin(&window, g_lastDragPoint, [&clicked](int id) { clicked.append(id); });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  const struct {
    int id;
    QRect rect;
    int normal, selected;
    const char* name;  // for screen readers, with the English description
    const char* english;
  } buttons[] = {
      {10005, QRect(1287, 12, 15, 15), 182, 183, "닫기", "Close"},
      {10006, QRect(1258, 12, 15, 15), 187, 188, "최소화", "Minimise"},
      {10013, QRect(1124, 7, 58, 24), 194, 195, "홈으로", "Home"},
      {10012, QRect(1182, 7, 58, 24), 192, 193, "캐시 삭제", "Clear cache"},
  };
  const auto created = window.findChildren<SkinButton*>();
  ASSERT_EQ(created.size(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(buttons[i].id);
    EXPECT_EQ(ControlId(created[i]), buttons[i].id);  // created in this order
    auto* button = qobject_cast<SkinButton*>(FindControl(&window, buttons[i].id));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), buttons[i].rect);
    EXPECT_EQ(button->Pixmap(SkinButton::State::Normal).toImage(), LoadSkinPixmap(buttons[i].normal).toImage());
    EXPECT_EQ(button->Pixmap(SkinButton::State::Selected).toImage(), LoadSkinPixmap(buttons[i].selected).toImage());
    EXPECT_EQ(button->Pixmap(SkinButton::State::Focus).toImage(), LoadSkinPixmap(buttons[i].normal).toImage());
    EXPECT_EQ(button->accessibleName(), QString::fromUtf8(buttons[i].name));
    EXPECT_EQ(button->accessibleDescription(), QLatin1String(buttons[i].english));
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  }
  EXPECT_EQ(clicked, (QList<int>{10005, 10006, 10013, 10012}));

  const QImage drawn = window.grab().toImage();
  const QImage background = LoadSkinPixmap(191).toImage();
  for (QPoint p : {QPoint(20, 20), QPoint(660, 400), QPoint(1319, 819)}) EXPECT_EQ(drawn.pixelColor(p), background.pixelColor(p));
  const QImage home = LoadSkinPixmap(194).toImage();
  EXPECT_EQ(drawn.pixelColor(1124 + 29, 7 + 12), home.pixelColor(29, 12));
  EXPECT_TRUE(window.hasMouseTracking());
  const QString folder = qEnvironmentVariable("TARVEX_SCREENSHOT_DIR");
  if (!folder.isEmpty()) window.grab().save(folder + QStringLiteral("/main_window_skin.png"));
}

}  // namespace
}  // namespace tarvex
