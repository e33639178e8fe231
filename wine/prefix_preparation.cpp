#include "wine/prefix_preparation.h"

#include "platform/inherited_files.h"
#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/trace.h"
#include "wine/font_replacements.h"
#include "wine/wine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <mutex>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tarvex::wine {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kMarkName[] = ".tarvex-prepared";
// Preparation yields to everything the user does.
constexpr int kNiceness = 10;
// How long ending the prefix's server may take: a cancelled preparation is mostly one of a
// launcher that is ending.
constexpr std::chrono::seconds kEndLimit{3};
constexpr std::chrono::milliseconds kPoll{50};

QString MarkPath() { return paths::WinePrefix() + QLatin1String(kMarkName); }

// What the mark says for the wine in use: the time of its setup file, as wine's own update
// stamp has it, or "-" for a wine whose setup file cannot be found.
QByteArray MarkText() {
  const QString setup = SetupFile(Executable());
  if (setup.isEmpty()) return QByteArrayLiteral("-\n");
  return QByteArray::number(QFileInfo(setup).lastModified().toSecsSinceEpoch()) + '\n';
}

// The environment of wineboot and the server commands: the programs' own, less the
// display, so that no window of wine's can show while the prefix is made.
QProcessEnvironment PreparationEnvironment() {
  QProcessEnvironment environment = Environment(ProgramEnvironment(), QString());
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  return environment;
}

enum class Run { Done, Failed, Cancelled, TimedOut };

// Runs `arguments` of `program` to its end, in a session of its own; at `deadline` or on
// cancel it and its session are killed. Done means it exited with status 0.
Run RunToEnd(const QString& program, const QStringList& arguments, const QString& logFile,
             const std::atomic<bool>* cancelled, Clock::time_point deadline, bool lowPriority) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setWorkingDirectory(paths::WinePrefix());
  process.setProcessEnvironment(PreparationEnvironment());
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile, QIODevice::Append);
  process.setStandardErrorFile(logFile.isEmpty() ? QProcess::nullDevice() : logFile, QIODevice::Append);
  process.setChildProcessModifier([lowPriority] {
    ::setsid();
    CloseInheritedFilesOnExec();
    if (lowPriority) ::setpriority(PRIO_PROCESS, 0, kNiceness);
  });
  process.start();
  if (!process.waitForStarted()) return Run::Failed;
  const auto session = static_cast<pid_t>(process.processId());
  while (!process.waitForFinished(static_cast<int>(kPoll.count()))) {
    if (process.state() == QProcess::NotRunning) break;
    const bool stop = cancelled != nullptr && cancelled->load();
    if (stop || Clock::now() >= deadline) {
      ::kill(-session, SIGKILL);
      process.waitForFinished();
      return stop ? Run::Cancelled : Run::TimedOut;
    }
  }
  if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) return Run::Done;
  // What a failed one left in its session goes with it.
  ::kill(-session, SIGKILL);
  return Run::Failed;
}

// Ends the prefix's server and every program of the prefix: what a preparation that did not
// get through had started.
void EndPrefixPrograms(const QString& logFile) {
  const QString server = ServerExecutable(Executable());
  if (!server.isEmpty()) RunToEnd(server, {QStringLiteral("-k")}, logFile, nullptr, Clock::now() + kEndLimit, false);
}

Preparation Prepare(const QString& logFile, const std::atomic<bool>& cancelled, Clock::time_point deadline) {
  const QString wine = Executable();
  if (wine.isEmpty() || !QDir().mkpath(paths::WinePrefix())) return Preparation::Failed;
  // Whatever happens from here, the prefix counts as ready only once this gets through.
  QFile::remove(MarkPath());
  const bool exists = QFileInfo::exists(paths::WinePrefix() + QStringLiteral("system.reg"));
  Trace(QStringLiteral("----------preparing wine prefix----------\n"));
  const auto fail = [&](Run run) {
    TraceFormat(QStringLiteral("----------wine prefix not made----------%s\n"), paths::WinePrefix());
    EndPrefixPrograms(logFile);
    return run == Run::Cancelled ? Preparation::Cancelled : Preparation::Failed;
  };
  // --update makes wine fill the prefix again even where its own stamp says it is up to
  // date: the stamp is written before the filling, so an interrupted one leaves it behind.
  const QString mode = exists ? QStringLiteral("--update") : QStringLiteral("--init");
  if (const Run boot = RunToEnd(wine, {QStringLiteral("wineboot"), mode}, logFile, &cancelled, deadline, true);
      boot != Run::Done)
    return fail(boot);
  // Into every prefix made or updated, so an update keeps them.
  if (!ApplyFontReplacements(wine, PreparationEnvironment(), logFile))
    Trace(QStringLiteral("----------font replacements not written----------\n"));
  // The server writes the registry when it ends, a few seconds after wineboot's programs.
  if (const QString server = ServerExecutable(wine); !server.isEmpty()) {
    if (const Run ended = RunToEnd(server, {QStringLiteral("-w")}, logFile, &cancelled, deadline, false);
        ended != Run::Done)
      return fail(ended);
  }
  if (!QFileInfo::exists(paths::WinePrefix() + QStringLiteral("system.reg"))) return fail(Run::Failed);
  QSaveFile mark(MarkPath());
  if (!mark.open(QIODevice::WriteOnly) || mark.write(MarkText()) < 0 || !mark.commit()) return fail(Run::Failed);
  Trace(QStringLiteral("----------wine prefix ready----------\n"));
  return Preparation::Ready;
}

}  // namespace

PrefixState CurrentPrefixState() {
  QFile mark(MarkPath());
  if (!mark.open(QIODevice::ReadOnly)) return PrefixState::Missing;
  if (!QFileInfo::exists(paths::WinePrefix() + QStringLiteral("system.reg"))) return PrefixState::Missing;
  return mark.read(64) == MarkText() ? PrefixState::Ready : PrefixState::Stale;
}

Preparation PreparePrefix(const QString& logFile, const std::atomic<bool>& cancelled,
                          std::chrono::milliseconds limit) {
  // Never destroyed: a worker may still be here while the process ends.
  static auto* preparing = new std::mutex;
  const std::lock_guard lock(*preparing);
  if (!IsPrefixReady()) {
    if (const Preparation prepared = Prepare(logFile, cancelled, Clock::now() + limit);
        prepared != Preparation::Ready)
      return prepared;
  }
  return LinkBox() ? Preparation::Ready : Preparation::Failed;
}

}  // namespace tarvex::wine
