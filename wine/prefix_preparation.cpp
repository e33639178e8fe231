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

#include <cerrno>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
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

// Held by the process that prepares the prefix: the launcher's background preparation and
// a game started through the companion may both find the prefix stale at once, and two
// wineboots in one prefix would end each other's server. An flock on a file beside the
// prefix, so it goes with the process however that ends.
class PreparationLock {
 public:
  PreparationLock() = default;
  PreparationLock(const PreparationLock&) = delete;
  PreparationLock& operator=(const PreparationLock&) = delete;
  ~PreparationLock() {
    if (m_file >= 0) ::close(m_file);
  }

  // Waits for the lock until it is had, cancelled, or `deadline`; whether it is had.
  bool Acquire(const std::atomic<bool>& cancelled, Clock::time_point deadline) {
    const QByteArray path = QFile::encodeName(QDir(paths::WinePrefix()).absolutePath() + QLatin1String(".lock"));
    m_file = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_file < 0) return true;  // nowhere to lock: prepare as before
    while (::flock(m_file, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return true;
      if (cancelled.load() || Clock::now() >= deadline) return false;
      std::this_thread::sleep_for(kPoll);
    }
    return true;
  }

 private:
  int m_file = -1;
};

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
    const Clock::time_point deadline = Clock::now() + limit;
    PreparationLock otherProcesses;
    if (!otherProcesses.Acquire(cancelled, deadline))
      return cancelled.load() ? Preparation::Cancelled : Preparation::Failed;
    // Another process may have prepared it meanwhile.
    if (!IsPrefixReady()) {
      if (const Preparation prepared = Prepare(logFile, cancelled, deadline); prepared != Preparation::Ready)
        return prepared;
    }
  }
  return LinkBox() ? Preparation::Ready : Preparation::Failed;
}

}  // namespace tarvex::wine
