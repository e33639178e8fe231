// nimbo-game, the launcher's companion command: the actions of an installed game's desktop
// entries, and the run mode in which the launcher starts games.
//   nimbo-game [--yes] uninstall|stop|log KEY
//   nimbo-game run PROGRAM [ARGUMENT...]
#include "companion/console_prompt.h"
#include "companion/game_actions.h"
#include "companion/game_session.h"
#include "install/file_name_rules.h"
#include "platform/message_box_prompt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int Usage() {
  std::fputs("usage: nimbo-game [--yes] uninstall|stop|log KEY\n"
             "       nimbo-game run PROGRAM [ARGUMENT...]\n",
             stderr);
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvex;
  if (argc >= 3 && std::strcmp(argv[1], "run") == 0) {
    // A display is opened only when the game has to wait for the prefix, to say so: every
    // other start stays as quick as a plain program's.
    const bool hasDisplay = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    const std::unique_ptr<QCoreApplication> application =
        hasDisplay && WaitsForPrefix(QFile::decodeName(argv[2])) ? std::make_unique<QApplication>(argc, argv)
                                                                  : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    return RunGame(arguments.at(2), arguments.mid(3));
  }
  const bool answerYes = argc >= 2 && std::strcmp(argv[1], "--yes") == 0;
  const int first = answerYes ? 2 : 1;
  if (argc != first + 2) return Usage();
  // Questions need a display only when a person answers them.
  std::unique_ptr<QCoreApplication> application =
      answerYes ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const QString action = arguments.at(first);
  const QString key = arguments.at(first + 1);
  if (key.isEmpty() || !IsAcceptableGameKey(key)) return Usage();
  ConsolePrompt console;
  MessageBoxPrompt boxes;
  GameActions actions(answerYes ? static_cast<Prompt&>(console) : boxes, key);
  if (action == QLatin1String("uninstall")) return actions.Uninstall();
  if (action == QLatin1String("stop")) return actions.Stop();
  if (action == QLatin1String("log")) return actions.ShowLog();
  return Usage();
}
