#include "ui/views/game_view_rules.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

QString AddressWithQueryAt(int index) {
  QString address = QStringLiteral("http://g.test/");
  address += QString(index - address.size(), QLatin1Char('a'));
  return address + QStringLiteral("?s=1");
}

TEST(GameBrowserAddress, AppendsToAShortQueryElseStartsOne) {
  ASSERT_EQ(AddressWithQueryAt(99).indexOf(QLatin1Char('?')), 99);
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(99)), AddressWithQueryAt(99) + QStringLiteral("&v=2"));
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(100)), AddressWithQueryAt(100) + QStringLiteral("?v=2"));
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(180)), AddressWithQueryAt(180) + QStringLiteral("?v=2"));
  EXPECT_EQ(GameBrowserAddress(QStringLiteral("http://g.test/play")), QStringLiteral("http://g.test/play?v=2"));
  EXPECT_EQ(GameBrowserAddress(QStringLiteral("?")), QStringLiteral("?&v=2"));
  EXPECT_EQ(GameBrowserAddress(QString()), QStringLiteral("?v=2"));
}

TEST(GameTitleText, NamesGameServerAndClientVersion) {
  EXPECT_EQ(GameTitleText(QStringLiteral("三國誌"), QStringLiteral("12")), QStringLiteral("Tarvex-[三國誌] 12服  V5.50.32"));
  EXPECT_EQ(GameTitleText(QString(), QString()), QStringLiteral("Tarvex-[] 服  V5.50.32"));
}

TEST(GameWindowPages, AddressesAreComposedFromTheValuesAsTheyAre) {
  EXPECT_EQ(ServicePageAddress(QStringLiteral("127.0.0.1:8800")), QStringLiteral("https://127.0.0.1:8800/service/online"));
  EXPECT_EQ(FanPageAddress(QStringLiteral("social.test"), QStringLiteral("tarvexfans")),
            QStringLiteral("https://social.test/tarvexfans/"));
  EXPECT_EQ(FanPageAddress(QStringLiteral("social.test"), QString()), QStringLiteral("https://social.test//"));
  EXPECT_EQ(RechargePageAddress(QStringLiteral("portal.test"), QStringLiteral("7"), QStringLiteral("3")),
            QStringLiteral("http://portal.test/payment/esafe_webatm?game_id=7&server_id=3"));
  EXPECT_EQ(RechargePageAddress(QStringLiteral("portal.test"), QStringLiteral("a&b"), QString()),
            QStringLiteral("http://portal.test/payment/esafe_webatm?game_id=a&b&server_id="));
}

TEST(GameWindowCoversMainWindow, OnlyAShownGameWindowAroundTheInactiveMainWindowOnItsScreen) {
  const QString screen = QStringLiteral("HDMI-1");
  const WindowPlace main{QRect(300, 130, 1320, 820), true, false, screen};
  const WindowPlace workArea{QRect(0, 0, 1920, 1050), true, false, screen};
  const struct {
    const char* what;
    WindowPlace game;
    bool mainActive;
    bool positionsKnown;
    bool covers;
  } cases[] = {
      {"over the work area", workArea, false, true, true},
      {"exactly the main window's frame", {main.frame, true, false, screen}, false, true, true},
      {"the main window active, so in front", workArea, true, true, false},
      {"minimised", {workArea.frame, true, true, screen}, false, true, false},
      {"hidden, or in the tray", {workArea.frame, false, false, screen}, false, true, false},
      {"restored to 1000 x 700, centred", {QRect(460, 175, 1000, 700), true, false, screen}, false, true, false},
      {"moved one pixel off the main window's left edge", {QRect(301, 0, 1920, 1050), true, false, screen}, false,
       true, false},
      {"short of the main window's bottom edge", {QRect(0, 0, 1920, 949), true, false, screen}, false, true, false},
      {"on another screen over the same coordinates", {workArea.frame, true, false, QStringLiteral("DP-2")}, false,
       true, false},
      {"where the platform does not tell positions", workArea, false, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GameWindowCoversMainWindow(c.game, main, c.mainActive, c.positionsKnown), c.covers) << c.what;
}

}  // namespace
}  // namespace tarvex
