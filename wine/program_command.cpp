#include "wine/program_command.h"

#include "platform/paths.h"
#include "platform/program_environment.h"
#include "wine/program_log.h"
#include "wine/windows_program.h"
#include "wine/wine.h"

#include <QFileInfo>
#include <QProcess>

namespace tarvex {
namespace {

// KEY.exe and its installer KEY-7z.exe write to the same log.
QString GameKeyOf(const QString& program) {
  QString name = QFileInfo(program).completeBaseName();
  if (name.endsWith(QLatin1String("-7z"))) name.chop(3);
  return name;
}

}  // namespace

ProgramCommand CommandFor(const QString& program, const QStringList& arguments) {
  const QString folder = QFileInfo(program).absolutePath();
  const QString wine = wine::Executable();
  if (WindowsMachineOf(program) == WindowsMachine::None || wine.isEmpty())
    return {program, arguments, folder, ProgramEnvironment(), QString()};
  const QString workingDirectory = wine::FolderInPrefix(folder);
  return {wine, QStringList{wine::WindowsPath(program, paths::BoxFolder())} + arguments, workingDirectory,
          wine::Environment(ProgramEnvironment(), workingDirectory), paths::ProgramLog(GameKeyOf(program))};
}

Runnability CheckRunnable(const QString& program) {
  const WindowsMachine machine = WindowsMachineOf(program);
  if (machine == WindowsMachine::None) return Runnability::Runs;
  const QString wine = wine::Executable();
  if (wine.isEmpty()) return Runnability::NeedsWine;
  if (machine == WindowsMachine::X86 && !wine::Runs32Bit(wine)) return Runnability::Needs32BitWine;
  return Runnability::Runs;
}

void ConfigureProcess(QProcess& process, const QString& program, const ProgramCommand& command) {
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(command.workingDirectory);
  process.setProcessEnvironment(command.environment);
  if (!command.logFile.isEmpty()) {
    // A prefix that went missing is made again by wine itself on this start, with the
    // same settings; the link must be there before the game is looked for through it.
    wine::LinkBox();
    PrepareProgramLog(GameKeyOf(program));
    process.setStandardOutputFile(command.logFile, QIODevice::Append);
    process.setStandardErrorFile(command.logFile, QIODevice::Append);
  }
}

bool ProcessProgramStarter::StartDetached(const QString& program, const QStringList& arguments) {
  QProcess process;
  ConfigureProcess(process, program, CommandFor(program, arguments));
  return process.startDetached();
}

}  // namespace tarvex
