#include "companion/game_session.h"

#include "companion/screen_saver_inhibitor.h"
#include "platform/paths.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace tarvex {

bool GameModeWanted() {
  if (qEnvironmentVariable("TARVEX_GAMEMODE") == QLatin1String("0")) return false;
  const QSettings settings(paths::SettingsFile(), QSettings::IniFormat);
  return settings.value(QStringLiteral("GameMode"), true).toBool();
}

ProgramCommand WithGameMode(ProgramCommand command) {
  if (!GameModeWanted()) return command;
  const QString gameModeRun =
      QStandardPaths::findExecutable(QStringLiteral("gamemoderun"), command.environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts));
  if (gameModeRun.isEmpty()) return command;
  command.arguments.prepend(command.program);
  command.program = gameModeRun;
  return command;
}

int RunGame(const QString& program, const QStringList& arguments) {
  const ProgramCommand command = CommandFor(program, arguments);
  if (!PrefixReadyFor(command)) return -1;
  QProcess game;
  ConfigureProcess(game, program, WithGameMode(command));
  game.start();
  if (!game.waitForStarted(-1)) return -1;
  const ScreenSaverInhibitor inhibitor(QStringLiteral("NimboClient"), QStringLiteral("A game is running"));
  game.waitForFinished(-1);
  return game.exitStatus() == QProcess::NormalExit ? game.exitCode() : -1;
}

}  // namespace tarvex
