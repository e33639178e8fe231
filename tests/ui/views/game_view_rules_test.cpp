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

// The stacking order runs from the bottom to the top.
TEST(WindowInFront, TheActiveMainWindowElseTheStackingOrderElseTheActiveGameWindow) {
  constexpr quintptr kGame = 0x2a00007;
  constexpr quintptr kMain = 0x2a00003;
  constexpr quintptr kOther = 0x3c00001;
  const struct {
    const char* what;
    QList<quintptr> bottomToTop;
    bool gameActive;
    bool mainActive;
    InFront inFront;
  } cases[] = {
      {"another program active, the game window stacked above", {kMain, kGame, kOther}, false, false, InFront::Game},
      {"another program active, the main window stacked above", {kGame, kMain, kOther}, false, false, InFront::Main},
      {"the main window active, not yet restacked", {kMain, kGame}, false, true, InFront::Main},
      {"the game window active but stacked below", {kGame, kMain}, true, false, InFront::Main},
      {"the game window active, no stacking known", {}, true, false, InFront::Game},
      {"the main window active, no stacking known", {}, false, true, InFront::Main},
      {"the game window not in the stacking yet", {kMain, kOther}, true, false, InFront::Game},
      {"another program active, no stacking known", {}, false, false, InFront::Unknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WindowInFront(c.bottomToTop, kGame, kMain, c.gameActive, c.mainActive), c.inFront) << c.what;
}

TEST(GameWindowCoversMainWindow, OnlyAShownGameWindowInFrontAroundTheMainWindowOnItsScreen) {
  const QString screen = QStringLiteral("HDMI-1");
  const WindowPlace main{QRect(300, 130, 1320, 820), true, false, screen};
  const WindowPlace workArea{QRect(0, 0, 1920, 1050), true, false, screen};
  const struct {
    const char* what;
    WindowPlace game;
    InFront inFront;
    bool positionsKnown;
    bool covers;
  } cases[] = {
      {"over the work area", workArea, InFront::Game, true, true},
      {"exactly the main window's frame", {main.frame, true, false, screen}, InFront::Game, true, true},
      {"the main window in front", workArea, InFront::Main, true, false},
      {"in front or behind, not known", workArea, InFront::Unknown, true, false},
      {"minimised", {workArea.frame, true, true, screen}, InFront::Game, true, false},
      {"hidden, or in the tray", {workArea.frame, false, false, screen}, InFront::Game, true, false},
      {"restored to 1000 x 700, centred", {QRect(460, 175, 1000, 700), true, false, screen}, InFront::Game, true,
       false},
      {"moved one pixel off the main window's left edge", {QRect(301, 0, 1920, 1050), true, false, screen},
       InFront::Game, true, false},
      {"short of the main window's bottom edge", {QRect(0, 0, 1920, 949), true, false, screen}, InFront::Game, true,
       false},
      {"on another screen over the same coordinates", {workArea.frame, true, false, QStringLiteral("DP-2")},
       InFront::Game, true, false},
      {"where the platform does not tell positions", workArea, InFront::Game, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GameWindowCoversMainWindow(c.game, main, c.inFront, c.positionsKnown), c.covers) << c.what;
}

}  // namespace
}  // namespace tarvex
