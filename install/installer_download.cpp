#include "install/installer_download.h"

#include "install/file_name_rules.h"
#include "install/installer_fetch.h"
#include "install/installer_key_lock.h"
#include "install/installer_session.h"
#include "platform/inherited_files.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"
#include "wine/program_command.h"
#include "wine/program_log.h"
#include "wine/prefix_preparation.h"
#include "wine/windows_program.h"
#include "wine/wine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QProcess>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tarvex {
namespace {

// The installers whose window closed while they ran. Their QProcess objects are kept here,
// never deleted, for the process's whole life: deleting one would kill its installer.
void KeepRunning(std::unique_ptr<QProcess> process) {
  static auto* mutex = new std::mutex;
  static auto* kept = new std::vector<std::unique_ptr<QProcess>>;
  const std::lock_guard lock(*mutex);
  kept->push_back(std::move(process));
}
// How often the wait for a running installer looks at its cancel flag.
constexpr std::chrono::milliseconds kInstallerPoll{50};
// How long the processes an installer started may run on after it has exited.
constexpr std::chrono::minutes kSessionLimit{30};
// How long wine may take to make its prefix: seconds on a fast disk, a minute or two on a
// slow one or a network home.
constexpr std::chrono::minutes kPrepareLimit{3};

// Progress reports are sent at most this often (about 30 a second).
constexpr qint64 kProgressIntervalMs = 33;

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

}  // namespace

// What the job and its worker share. The worker holds it until it ends; the job may be
// gone long before.
struct InstallerDownload::Shared {
  Shared(QString address, QString gameKey, InstallerDownload* owner)
      : address(std::move(address)), gameKey(std::move(gameKey)), owner(owner), keyLock(this->gameKey) {}

  const QString address;
  const QString gameKey;
  std::chrono::milliseconds stallTimeout = InstallerTransfer::kDefaultStallTimeout;
  std::chrono::milliseconds backOffUnit = InstallerFetch::kDefaultBackOffUnit;
  InstallerTransfer::FreeSpace freeSpace = &InstallerTransfer::DiskFreeSpace;
  std::atomic<bool> cancelled{false};

  // Runs `call` on the owner's thread, if the owner still exists. The lock only orders
  // posting against the owner's destructor; a queued call to a deleted object is dropped.
  template <class Call>
  void Post(Call call) {
    const std::lock_guard lock(ownerMutex);
    if (owner == nullptr) return;
    InstallerDownload* target = owner;
    QMetaObject::invokeMethod(target, [target, call] { call(*target); }, Qt::QueuedConnection);
  }

  void Detach() {
    const std::lock_guard lock(ownerMutex);
    owner = nullptr;
  }

  void Run();

 private:
  Outcome InstallGame();
  Outcome Download(const QString& installer);
  Outcome Install(const QString& installer);
  // Makes the prefix a Windows installer runs in; Installed when it is ready.
  Outcome PrepareWine(const QString& logFile);
  // Waits for what is left of the installer session `leader`, then judges it (Conclude).
  Outcome AwaitSession(qint64 leader, const QString& installer);
  // What the key's recorded installer left: its exit status and the game's executable.
  Outcome Conclude(const QString& installer);
  void ReportPhase(Phase phase);
  void ReportProgress(std::int64_t received, std::int64_t total);

  std::mutex ownerMutex;
  InstallerDownload* owner;
  InstallerKeyLock keyLock;
  bool waitedForKey = false;
  QElapsedTimer sinceReport;
  int lastReported = -1;
};

void InstallerDownload::Shared::Run() {
  Trace(gameKey);
  Trace(QStringLiteral("----------------game_name1-------------------\n"));
  Outcome outcome = Outcome::Failed;
  const auto waiting = [this] {
    // An earlier window's installer, here or in another launcher, still runs: this one
    // waits for it instead of downloading over it.
    waitedForKey = true;
    ReportPhase(Phase::Installing);
  };
  if (!IsAcceptableGameKey(gameKey)) {
    TraceFormat(QStringLiteral("---------game key refused---------%s\n"), gameKey);
  } else if (!keyLock.Take(cancelled, waiting)) {
    outcome = Outcome::Cancelled;
  } else {
    outcome = InstallGame();
    keyLock.Release();
  }
  TraceFormat(QStringLiteral("----------installer job ended----------%s\n"),
              QStringLiteral("%1 %2").arg(gameKey, QString::fromLatin1(QMetaEnum::fromType<Outcome>().valueToKey(
                                                                 static_cast<int>(outcome)))));
  Post([outcome](InstallerDownload& job) { emit job.finished(outcome); });
}

InstallerDownload::Outcome InstallerDownload::Shared::InstallGame() {
  const QString installer = paths::InstallerPath(gameKey);
  if (keyLock.HasSession()) {
    // An installer whose worker stopped waiting for it (its window closed, or its launcher
    // ended): it may still run, and only its exit status tells whether it installed.
    ReportPhase(Phase::Installing);
    const std::optional<qint64> leader = keyLock.RunningSession();
    return leader ? AwaitSession(*leader, installer) : Conclude(installer);
  }
  // The worker this one waited for has installed the game, and seen its installer succeed:
  // a failed install leaves no game's executable.
  if (waitedForKey && QFileInfo(paths::GameExecutable(gameKey)).isFile()) return Outcome::Installed;
  Trace(QStringLiteral("----------------CStringExePath-------------------\n"));
  Trace(installer);
  // An installer at its final name was verified by a try that could not run it (the user
  // has installed wine since, say), or by a launcher that ended before it ran it. It is
  // checked again like a part, without downloading it again.
  if (InstallerTransfer::KeepAsPart(installer))
    TraceFormat(QStringLiteral("----------installer kept from the last try----------%s\n"), installer);
  if (const Outcome downloaded = Download(installer); downloaded != Outcome::Installed) return downloaded;
  return Install(installer);
}

InstallerDownload::Outcome InstallerDownload::Shared::Download(const QString& installer) {
  const QString folder = paths::InstallerFolder();
  if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, kOwnerOnly)) return Outcome::Failed;

  InstallerFetch fetch(address, installer, cancelled);
  fetch.SetStallTimeout(stallTimeout);
  fetch.SetBackOffUnit(backOffUnit);
  fetch.SetFreeSpace(freeSpace);
  fetch.SetProgress([this](std::int64_t received, std::int64_t total) { ReportProgress(received, total); });
  fetch.SetVerifying([this] { ReportPhase(Phase::Verifying); });
  ReportPhase(Phase::Downloading);
  switch (fetch.Run()) {
    case InstallerFetch::Result::Ready:
      Post([](InstallerDownload& job) { emit job.progressChanged(kProgressRange); });
      return Outcome::Installed;
    case InstallerFetch::Result::Unreachable:
      return Outcome::Unreachable;
    case InstallerFetch::Result::Refused:
      return Outcome::Refused;
    case InstallerFetch::Result::NoSpace:
      return Outcome::DiskFull;
    case InstallerFetch::Result::Corrupt:
      return Outcome::Corrupt;
    case InstallerFetch::Result::Cancelled:
      return Outcome::Cancelled;
    case InstallerFetch::Result::Failed:
      break;
  }
  return Outcome::Failed;
}

InstallerDownload::Outcome InstallerDownload::Shared::PrepareWine(const QString& logFile) {
  if (!wine::IsPrefixReady()) ReportPhase(Phase::Preparing);
  switch (wine::PreparePrefix(logFile, cancelled, kPrepareLimit)) {
    case wine::Preparation::Ready:
      return Outcome::Installed;
    case wine::Preparation::Cancelled:
      return Outcome::Cancelled;
    case wine::Preparation::Failed:
      break;
  }
  return Outcome::PrepareFailed;
}

InstallerDownload::Outcome InstallerDownload::Shared::Install(const QString& installer) {
  if (cancelled.load()) return Outcome::Cancelled;
  QFile::setPermissions(installer, kOwnerOnly);
  // Kept for the next try: the download is done, only this machine lacks something.
  switch (CheckRunnable(installer)) {
    case Runnability::NeedsWine:
      return Outcome::WineMissing;
    case Runnability::Needs32BitWine:
      return Outcome::Wine32Missing;
    case Runnability::Runs:
      break;
  }
  const ProgramCommand command = CommandFor(installer, {});
  // A Windows installer's output goes to the game's log; one that cannot be written
  // (its folder cannot be made) keeps no installer from running: the output is dropped.
  const QString log = command.logFile.isEmpty() ? QString() : PrepareProgramLog(gameKey);
  if (!command.logFile.isEmpty()) {
    if (log.isEmpty()) TraceFormat(QStringLiteral("----------no log for the installer----------%s\n"), command.logFile);
    const Outcome prepared = PrepareWine(log.isEmpty() ? QProcess::nullDevice() : log);
    if (prepared != Outcome::Installed) return prepared;
  }
  ReportPhase(Phase::Installing);
  // On the heap: a window closed meanwhile ends the wait, and the installer must run on.
  auto owned = std::make_unique<QProcess>();
  QProcess& process = *owned;
  // The installer runs under a shell that records its exit status, for whoever waits.
  keyLock.ClearSession();
  process.setProgram(InstallerSession::RecordingShell());
  process.setArguments(InstallerSession::RecordingArguments(keyLock.StatusFile(), command.program, command.arguments));
  process.setWorkingDirectory(command.workingDirectory);
  process.setProcessEnvironment(command.environment);
  if (log.isEmpty()) {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
  } else {
    process.setStandardOutputFile(log, QIODevice::Append);
    process.setStandardErrorFile(log, QIODevice::Append);
  }
  process.setChildProcessModifier([] {
    InstallerSession::BecomeLeader();
    CloseInheritedFilesOnExec();
  });
  process.start();
  if (!process.waitForStarted(-1)) {
    // Nothing of the installer ran; it stays verified for the next try.
    TraceFormat(QStringLiteral("----------installer not started----------%s\n"), installer);
    return Outcome::NoGame;
  }
  const qint64 session = process.processId();
  // Should this worker stop waiting, the record makes the next one, here or in a newer
  // launcher, wait for this session instead of installing over it.
  if (!keyLock.RecordSession(session))
    TraceFormat(QStringLiteral("----------installer session not recorded----------%s\n"), installer);
  // A setup wizard may stay open for long; closing the window (or the launcher's exit)
  // ends the wait, never the installer: QProcess's destructor would kill it, so it is
  // kept (KeepRunning).
  while (!process.waitForFinished(static_cast<int>(kInstallerPoll.count()))) {
    if (process.state() == QProcess::NotRunning) break;
    if (cancelled.load()) {
      TraceFormat(QStringLiteral("----------installer left running----------%s\n"), installer);
      KeepRunning(std::move(owned));
      return Outcome::Cancelled;
    }
  }
  return AwaitSession(session, installer);
}

InstallerDownload::Outcome InstallerDownload::Shared::AwaitSession(qint64 leader, const QString& installer) {
  // The game only exists once its installer is through, and with it whatever it started.
  if (!InstallerSession::WaitUntilEnded(leader, kSessionLimit, cancelled)) {
    // The window closed meanwhile: the record stays for whoever opens it next.
    if (cancelled.load()) return Outcome::Cancelled;
    TraceFormat(QStringLiteral("----------installer still running----------%s\n"), installer);
  }
  return Conclude(installer);
}

InstallerDownload::Outcome InstallerDownload::Shared::Conclude(const QString& installer) {
  const std::optional<int> status = InstallerSession::RecordedStatus(keyLock.StatusFile());
  // The installer itself still runs, long after it started: whoever waits next judges it.
  if (!status && keyLock.RunningSession()) return Outcome::NoGame;
  const QString executable = paths::GameExecutable(gameKey);
  // The installer has done its work, or cannot do it: it goes, whether or not anyone waits
  // for the outcome, and a next try downloads it again.
  QFile::remove(installer);
  keyLock.ClearSession();
  if (status != 0) {
    // Failed, killed, or its end unknown: what it left is no installed game, and the next
    // try installs it again.
    TraceFormat(QStringLiteral("----------installer failed----------%s\n"),
                QStringLiteral("%1 %2").arg(installer, status ? QString::number(*status) : QStringLiteral("?")));
    QFile::remove(executable);
    return cancelled.load() ? Outcome::Cancelled : Outcome::InstallFailed;
  }
  // The window closed meanwhile: nobody hands back.
  if (cancelled.load()) return Outcome::Cancelled;
  if (!QFileInfo(executable).isFile()) {
    // Handing back now would make the main window ask again, find the game missing and
    // download it once more, over and over: the window stays instead, as after a failure.
    TraceFormat(QStringLiteral("----------installer left no game----------%s\n"), executable);
    return Outcome::NoGame;
  }
  return Outcome::Installed;
}

void InstallerDownload::Shared::ReportPhase(Phase phase) {
  Post([phase](InstallerDownload& job) { emit job.phaseChanged(phase); });
}

void InstallerDownload::Shared::ReportProgress(std::int64_t received, std::int64_t total) {
  const int value = ScaledProgress(received, total);
  const bool moved = value != lastReported;
  // At most one report every kProgressIntervalMs, but the full bar always gets through.
  const bool due = lastReported < 0 || sinceReport.elapsed() >= kProgressIntervalMs || (moved && value == kProgressRange);
  if (!due) return;
  lastReported = value;
  sinceReport.start();
  Post([value, moved, received, total](InstallerDownload& job) {
    if (moved) emit job.progressChanged(value);
    emit job.transferChanged(received, total);
  });
}

InstallerDownload::InstallerDownload(QString address, QString gameKey, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(std::move(address), std::move(gameKey), this)) {}

InstallerDownload::~InstallerDownload() {
  Cancel();
  m_shared->Detach();
}

void InstallerDownload::SetStallTimeout(std::chrono::milliseconds timeout) { m_shared->stallTimeout = timeout; }

void InstallerDownload::SetBackOffUnit(std::chrono::milliseconds unit) { m_shared->backOffUnit = unit; }

void InstallerDownload::SetFreeSpace(InstallerTransfer::FreeSpace freeSpace) {
  m_shared->freeSpace = std::move(freeSpace);
}

void InstallerDownload::Start() {
  if (m_started) return;
  m_started = true;
  // A worker the process waits for, bounded, before it ends (see worker_threads.h).
  StartWorker([shared = m_shared]() mutable {
    shared->Run();
    shared.reset();
  });
}

void InstallerDownload::Cancel() { m_shared->cancelled.store(true); }

int InstallerDownload::ScaledProgress(std::int64_t received, std::int64_t total) {
  if (total <= 0 || received <= 0) return 0;
  if (received >= total) return kProgressRange;
  return static_cast<int>(static_cast<double>(received) / static_cast<double>(total) * kProgressRange);
}

}  // namespace tarvex
