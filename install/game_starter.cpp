#include "install/game_starter.h"

#include "platform/inherited_files.h"
#include "platform/paths.h"
#include "platform/program_environment.h"

#include <QFileInfo>
#include <QProcess>

namespace tarvex {

bool GameStarter::StartDetached(const QString& program, const QStringList& arguments) {
  const QString companion = paths::Companion();
  if (!QFileInfo(companion).isExecutable()) return m_direct.StartDetached(program, arguments);
  QProcess process;
  process.setProgram(companion);
  process.setArguments(QStringList{QStringLiteral("run"), program} + arguments);
  // The companion starts the game with the environment it was itself given.
  process.setProcessEnvironment(ProgramEnvironment());
  process.setChildProcessModifier(CloseInheritedFilesOnExec);
  return process.startDetached();
}

}  // namespace tarvex
