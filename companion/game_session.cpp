#include "companion/game_session.h"

#include "companion/preparation_window.h"
#include "companion/screen_saver_inhibitor.h"
#include "platform/paths.h"
#include "wine/prefix_preparation.h"
#include "wine/windows_program.h"
#include "wine/wine.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <atomic>
#include <thread>

namespace tarvex {
namespace {

// Prepares the prefix `command` needs when it is not ready, blocking until that ends. False
// when there is no prefix.
bool PrefixReadyShowingPreparation(const ProgramCommand& command) {
  if (command.logFile.isEmpty() || wine::IsPrefixReady()) return true;
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return PrefixReadyFor(command);
  PreparationWindow window;
  window.show();
  QEventLoop loop;
  std::atomic<bool> ready = false;
  // The preparation blocks; the window is drawn and dragged meanwhile.
  std::thread preparing([&] {
    ready = PrefixReadyFor(command);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  preparing.join();
  return ready;
}

}  // namespace

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

bool WaitsForPrefix(const QString& program) {
  return WindowsMachineOf(program) != WindowsMachine::None && !wine::Executable().isEmpty() && !wine::IsPrefixReady();
}

int RunGame(const QString& program, const QStringList& arguments) {
  const ProgramCommand command = CommandFor(program, arguments);
  if (!PrefixReadyShowingPreparation(command)) return -1;
  QProcess game;
  ConfigureProcess(game, program, WithGameMode(command));
  game.start();
  if (!game.waitForStarted(-1)) return -1;
  const ScreenSaverInhibitor inhibitor(QStringLiteral("NimboClient"), QStringLiteral("A game is running"));
  game.waitForFinished(-1);
  return game.exitStatus() == QProcess::NormalExit ? game.exitCode() : -1;
}

}  // namespace tarvex
