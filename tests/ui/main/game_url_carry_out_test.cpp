#include "interfaces/views.h"
#include "portal/game_url_decision.h"
#include "ui/main/game_url_carry_out.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

class RecordingViews final : public Views {
 public:
  void OpenGameView(const QString& address, int openFlag) override {
    calls << QStringLiteral("game %1 %2").arg(address).arg(openFlag);
  }
  void OpenPayView(const QString& address, int, int, const QString&) override { calls << QStringLiteral("pay ") + address; }
  void OpenLoadView(const QString& gameKey, const QString&) override { calls << QStringLiteral("load ") + gameKey; }
  void LaunchGame(const QString& launchAddress) override { calls << QStringLiteral("launch ") + launchAddress; }

  QStringList calls;
};

struct CarryOutCase {
  const char* name;
  GameUrlDecision decision;
  QString gameUrlAfter;
  QStringList calls;
};

TEST(CarryOutGameUrlDecisionTest, CodeOneOpensTheGameCodeTwoMinimisesAndLaunches) {
  const QString earlier = QStringLiteral("http://h/earlier");
  const CarryOutCase cases[] = {
      {"web game", {"1", QStringLiteral("http://h/g")}, "http://h/g", {"game http://h/g 1"}},
      {"client game", {"2", QStringLiteral("http://h/c")}, "http://h/c", {"minimise", "launch http://h/c"}},
      {"other code keeps nothing open", {"3", QStringLiteral("http://h/x")}, "http://h/x", {}},
      {"code 1 without url", {"1", QString()}, QString(), {"game  1"}},
      {"failure keeps the earlier address", {QString(), std::nullopt}, earlier, {}},
      {"code is compared whole", {" 1", QStringLiteral("u")}, "u", {}},
  };
  for (const CarryOutCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingViews views;
    QString gameUrl = earlier;
    CarryOutGameUrlDecision(c.decision, gameUrl, views, [&views] { views.calls << QStringLiteral("minimise"); });
    EXPECT_EQ(gameUrl, c.gameUrlAfter);
    EXPECT_EQ(views.calls, c.calls);
  }
}

}  // namespace
}  // namespace tarvex
