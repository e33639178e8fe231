#include "browser/navigation_routing.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace tarvex::route {

// Readable failure output for actions and decisions.
void PrintTo(const Action& action, std::ostream* out) {
  std::visit(
      [out](const auto& action) {
        using T = std::decay_t<decltype(action)>;
        if constexpr (std::is_same_v<T, None>) *out << "None";
        else if constexpr (std::is_same_v<T, OpenPayView>)
          *out << "OpenPayView(" << action.address.toStdString() << ", " << action.width << "x"
               << action.height << ", " << action.label.toStdString() << ")";
        else if constexpr (std::is_same_v<T, LaunchGame>) *out << "LaunchGame(" << action.address.toStdString() << ")";
        else if constexpr (std::is_same_v<T, OpenGameView>)
          *out << "OpenGameView(" << action.address.toStdString() << ", " << action.openFlag << ")";
        else if constexpr (std::is_same_v<T, OpenDefaultBrowser>)
          *out << "OpenDefaultBrowser(" << action.address.toStdString() << ")";
        else if constexpr (std::is_same_v<T, LoadInOwnBrowser>)
          *out << "LoadInOwnBrowser(" << action.address.toStdString() << ")";
        else if constexpr (std::is_same_v<T, CloseAndReturn>) *out << "CloseAndReturn";
        else *out << "KeepPage";
      },
      action);
}

void PrintTo(const Decision& decision, std::ostream* out) {
  *out << (decision.Cancels() ? "cancel " : "proceed ");
  PrintTo(decision.action, out);
}

namespace {

const QString kHost = QStringLiteral("portal.example:8800");
// What a rule is expected to decide: the action, and whether the engine is told to cancel.
struct Expected {
  Action action;
  bool cancel = false;

  friend bool operator==(const Decision& decision, const Expected& expected) {
    return decision.action == expected.action && decision.Cancels() == expected.cancel;
  }
  friend void PrintTo(const Expected& expected, std::ostream* out) {
    *out << (expected.cancel ? "cancel " : "proceed ");
    PrintTo(expected.action, out);
  }
};

const Expected kProceed{None{}, false};

struct Case {
  const char* address;
  Expected expected;
};

void Check(const std::function<Decision(const QString&)>& rule, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(rule(QString::fromUtf8(c.address)), c.expected);
  }
}

OpenPayView Login(const char* address) {
  return {QString::fromUtf8(address) + QStringLiteral("?status=2"), 420, 560, QStringLiteral("Tarvex 계정 로그인")};
}

TEST(MainNavigation, FirstMatchingRuleDecides) {
  Check(MainNavigation, {
      {"http://p/mini/login", {Login("http://p/mini/login"), true}},
      // Suffix appended as it stands, even after an existing query.
      {"http://p/mini/login?x=1", {Login("http://p/mini/login?x=1"), true}},
      {"http://p/mini/login/mini/play/", {Login("http://p/mini/login/mini/play/"), true}},
      {"http://p/mini/play/?r=/mini/login", {Login("http://p/mini/play/?r=/mini/login"), true}},
      {"http://p/game_play/a/KEY/n/params1", {LaunchGame{"http://p/game_play/a/KEY/n/params1"}, true}},
      {"http://p/game_play/x/mini/play/", {LaunchGame{"http://p/game_play/x/mini/play/"}, true}},
      {"http://p/mini/play/5?kobutarget=_blank", {OpenGameView{"http://p/mini/play/5?kobutarget=_blank", 0}, true}},
      {"http://p/news?kobutarget=_blank", {OpenDefaultBrowser{"http://p/news?kobutarget=_blank"}, true}},
      {"file:///etc/passwd#kobutarget=_blank", {OpenDefaultBrowser{"file:///etc/passwd#kobutarget=_blank"}, true}},
      {"http://p/mini/index/", kProceed},
      {"http://p/Mini/Play/", kProceed},
      {"http://p/MINI/LOGIN", kProceed},
      {"http://p/Game_Play/", kProceed},
      {"http://p/?KOBUTARGET=_BLANK", kProceed},
      {"http://p/mini/playground", kProceed},
      {"", kProceed},
  });
}

TEST(GameNavigation, PortalPagesLeaveGamePagesStay) {
  Check([](const QString& a) { return GameNavigation(a, kHost); },
        {
            {"http://portal.example:8800/mini/index", {KeepPage{}, true}},
            {"http://portal.example:8800/mini/index/play", {KeepPage{}, true}},
            {"http://portal.example:8800/display", kProceed},
            {"http://portal.example:8800/game/play/1", kProceed},
            {"http://portal.example:8800/service/online", {OpenDefaultBrowser{"http://portal.example:8800/service/online"}, true}},
            // The index marker needs the host directly before it.
            {"http://other.example/mini/index?from=portal.example:8800",
             {OpenDefaultBrowser{"http://other.example/mini/index?from=portal.example:8800"}, true}},
            {"http://other.example/mini/index", kProceed},
            {"http://game.example/level", kProceed},
            {"http://portal.example:8800/Mini/Index", {OpenDefaultBrowser{"http://portal.example:8800/Mini/Index"}, true}},
            {"http://PORTAL.EXAMPLE:8800/x", kProceed},
            {"http://portal.example:8800/PLAY", {OpenDefaultBrowser{"http://portal.example:8800/PLAY"}, true}},
            // Another port is another host text.
            {"http://portal.example/news", kProceed},
        });
}

TEST(GameNavigation, UnsetHostMatchesNothing) {
  EXPECT_EQ(GameNavigation(QStringLiteral("http://a/mini/index"), QString()), kProceed);
  EXPECT_EQ(GameNavigation(QStringLiteral("http://a/news"), QString()), kProceed);
}

TEST(PayNavigation, IndexClosesBlankGoesOut) {
  Check(PayNavigation, {
      {"http://p/index/", {CloseAndReturn{}, true}},
      {"http://p/index/?kobutarget=_blank", {CloseAndReturn{}, true}},
      {"http://p/help?kobutarget=_blank", {OpenDefaultBrowser{"http://p/help?kobutarget=_blank"}, true}},
      {"http://p/mini/index", kProceed},
      {"http://p/Index/", kProceed},
      {"http://p/pay/app", kProceed},
  });
}

// Every disposition value around the handled range, for every pop-up rule.
TEST(Popups, OnlyNewTabsPopupsAndWindowsAreHandled) {
  const QString address = QStringLiteral("http://p/mini/play/1");
  const QString pay = QStringLiteral("http://p/payment/app_pay?g=1");
  for (int disposition = -1; disposition <= 11; ++disposition) {
    SCOPED_TRACE(disposition);
    const bool handled = disposition >= 3 && disposition <= 6;
    const auto expect = [handled](const Expected& expected) { return handled ? expected : kProceed; };
    const auto value = static_cast<PopupDisposition>(disposition);
    EXPECT_EQ(MainPopup(address, value), expect({LoadInOwnBrowser{address}, true}));
    EXPECT_EQ(PayPopup(address, value), expect({LoadInOwnBrowser{address}, true}));
    EXPECT_EQ(GamePopup(address, value), expect({OpenDefaultBrowser{address}, true}));
    EXPECT_EQ(GamePopup(pay, value),
              expect({OpenPayView{pay + QStringLiteral("&status=2"), 800, 612, QStringLiteral("게임 직구")}, true}));
  }
}

// A pop-up loads into the window's own browser only when it is a web page.
TEST(Popups, OnlyWebPagesLoadIntoTheOwnBrowser) {
  for (const auto& rule : {MainPopup, PayPopup}) {
    Check([&rule](const QString& a) { return rule(a, PopupDisposition::NewForegroundTab); },
          {
              {"https://p/mini/play/1", {LoadInOwnBrowser{"https://p/mini/play/1"}, true}},
              {"HTTP://p/x", {LoadInOwnBrowser{"HTTP://p/x"}, true}},
              {"file:///etc/passwd", {KeepPage{}, true}},
              {"javascript:alert(1)", {KeepPage{}, true}},
              {"data:text/html,<b>x</b>", {KeepPage{}, true}},
              {"tarvextest://run/42", {KeepPage{}, true}},
              {"about:blank", {KeepPage{}, true}},
          });
  }
}

TEST(Popups, GamePayMarkerIsCaseSensitive) {
  EXPECT_EQ(GamePopup(QStringLiteral("http://p/Payment/App_Pay"), PopupDisposition::NewPopup),
            (Expected{OpenDefaultBrowser{QStringLiteral("http://p/Payment/App_Pay")}, true}));
  EXPECT_EQ(GamePopup(QStringLiteral("http://p/payment/app_pay"), PopupDisposition::NewWindow),
            (Expected{OpenPayView{QStringLiteral("http://p/payment/app_pay&status=2"), 800, 612,
                                  QStringLiteral("게임 직구")},
                      true}));
}

// A main-browser pop-up becomes a navigation of the main browser, which the navigation
// rules then route: a play address ends in a game window.
TEST(Popups, MainPopupThenNavigationReachesGameWindow) {
  const QString address = QStringLiteral("http://p/mini/play/7");
  const Decision popup = MainPopup(address, PopupDisposition::NewForegroundTab);
  ASSERT_TRUE(std::holds_alternative<LoadInOwnBrowser>(popup.action));
  EXPECT_EQ(MainNavigation(std::get<LoadInOwnBrowser>(popup.action).address),
            (Expected{OpenGameView{address, 0}, true}));
}

}  // namespace
}  // namespace tarvex::route
