#include "companion/game_session.h"

#include "install/isolated_home.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

// Games run through gamemoderun when it is installed, unless the user turned GameMode off.
TEST(GameSession, GamesRunThroughGameModeUnlessItIsTurnedOff) {
  testing::IsolatedHome home;
  const QString gameModeRun = home.Path() + "/gamemoderun";
  QFile tool(gameModeRun);
  ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
  tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  tool.close();
  const auto restore = qScopeGuard([] { qunsetenv("TARVEX_GAMEMODE"); });
  ProgramCommand game{"/games/k/k", {"P"}, "/games/k", {}, {}};
  game.environment.insert("PATH", home.Path());

  const ProgramCommand wrapped = WithGameMode(game);
  EXPECT_EQ(wrapped.program, gameModeRun);
  EXPECT_EQ(wrapped.arguments, (QStringList{"/games/k/k", "P"}));
  EXPECT_EQ(wrapped.workingDirectory, "/games/k");

  qputenv("TARVEX_GAMEMODE", "0");
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
  qunsetenv("TARVEX_GAMEMODE");
  {
    QSettings settings(paths::SettingsFile(), QSettings::IniFormat);
    settings.setValue("GameMode", false);
  }
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
  ASSERT_TRUE(QFile::remove(paths::SettingsFile()));
  game.environment.insert("PATH", home.Path() + "/nothing-here");
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
}

}  // namespace
}  // namespace tarvex
