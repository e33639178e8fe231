#include "wine/program_command.h"

#include "platform/inherited_files.h"
#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"
#include "wine/prefix_preparation.h"
#include "wine/program_locale.h"
#include "wine/program_log.h"
#include "wine/windows_program.h"
#include "wine/wine.h"

#include <QFileInfo>
#include <QProcess>

namespace tarvex {
namespace {

// How long a game's start may wait for wine to make its prefix.
constexpr std::chrono::minutes kPrepareLimit{3};

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
  QProcessEnvironment environment = wine::Environment(ProgramEnvironment(), workingDirectory);
  wine::UseProgramLocale(program, GameKeyOf(program), environment);
  return {wine, QStringList{wine::WindowsPath(program, paths::BoxFolder())} + arguments, workingDirectory,
          environment, paths::ProgramLog(GameKeyOf(program))};
}

QString MissingLocale(const QString& program) {
  if (WindowsMachineOf(program) == WindowsMachine::None) return QString();
  const wine::ProgramLocale locale = wine::LocaleOfProgram(program, GameKeyOf(program), ProgramEnvironment());
  return locale.installed ? QString() : locale.name;
}

Runnability CheckRunnable(const QString& program) {
  const WindowsMachine machine = WindowsMachineOf(program);
  if (machine == WindowsMachine::None) return Runnability::Runs;
  const QString wine = wine::Executable();
  if (wine.isEmpty()) return Runnability::NeedsWine;
  if (machine == WindowsMachine::X86 && !(wine::Runs32Bit(wine) && wine::KernelRuns32BitPrograms()))
    return Runnability::Needs32BitWine;
  return Runnability::Runs;
}

void ConfigureProcess(QProcess& process, const QString& program, const ProgramCommand& command) {
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(command.workingDirectory);
  process.setProcessEnvironment(command.environment);
  process.setChildProcessModifier(CloseInheritedFilesOnExec);
  if (!command.logFile.isEmpty()) {
    // The link must be there before the game is looked for through it.
    wine::LinkBox();
    PrepareProgramLog(GameKeyOf(program));
    process.setStandardOutputFile(command.logFile, QIODevice::Append);
    process.setStandardErrorFile(command.logFile, QIODevice::Append);
  }
}

bool PrefixReadyFor(const ProgramCommand& command) {
  if (command.logFile.isEmpty() || wine::IsPrefixReady()) return true;
  static const std::atomic<bool> kNeverCancelled{false};
  if (wine::PreparePrefix(PreparePrefixLog(), kNeverCancelled, kPrepareLimit) == wine::Preparation::Ready) return true;
  TraceFormat(QStringLiteral("----------no wine prefix for----------%s\n"), command.program);
  return false;
}

bool ProcessProgramStarter::StartDetached(const QString& program, const QStringList& arguments) {
  const ProgramCommand command = CommandFor(program, arguments);
  const auto start = [program, command] {
    QProcess process;
    ConfigureProcess(process, program, command);
    return process.startDetached();
  };
  if (command.logFile.isEmpty() || wine::IsPrefixReady()) return start();
  // A prefix that went missing, or is older than the wine installed since, is made first,
  // off the GUI thread and without wine's own windows; the game starts once it is ready.
  StartWorker([start, command] {
    if (PrefixReadyFor(command)) start();
  });
  return true;
}

}  // namespace tarvex
