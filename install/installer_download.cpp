#include "install/installer_download.h"

#include "install/file_name_rules.h"
#include "install/installer_fetch.h"
#include "install/installer_session.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"
#include "wine/program_command.h"
#include "wine/program_log.h"
#include "wine/prefix_preparation.h"
#include "wine/windows_program.h"
#include "wine/wine.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

// The game keys whose worker downloads or installs now, at most one worker per key.
struct BusyKeys {
  std::mutex mutex;
  std::condition_variable released;
  QSet<QString> keys;
};
// Never destroyed: a worker that outlives the process's bounded wait at exit may still
// release its key while static objects are torn down.
BusyKeys& Busy() {
  static auto* busy = new BusyKeys;
  return *busy;
}

// The installers whose window closed while they ran. Their QProcess objects are kept here,
// never deleted, for the process's whole life: deleting one would kill its installer.
void KeepRunning(std::unique_ptr<QProcess> process) {
  static auto* mutex = new std::mutex;
  static auto* kept = new std::vector<std::unique_ptr<QProcess>>;
  const std::lock_guard lock(*mutex);
  kept->push_back(std::move(process));
}
// How often a worker waiting for a key looks at its cancel flag.
constexpr std::chrono::milliseconds kKeyPoll{50};
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
      : address(std::move(address)), gameKey(std::move(gameKey)), owner(owner) {}

  const QString address;
  const QString gameKey;
  std::chrono::milliseconds stallTimeout = InstallerTransfer::kDefaultStallTimeout;
  std::chrono::milliseconds backOffUnit = InstallerFetch::kDefaultBackOffUnit;
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
  bool ClaimKey();
  // Takes the key's lock file, which other launcher processes take too; waits while one
  // of them (or an installer it left running) holds it. False when cancelled meanwhile.
  bool LockKeyFile();
  void ReleaseKey();
  Outcome InstallGame();
  Outcome Download(const QString& installer);
  Outcome Install(const QString& installer);
  // Makes the prefix a Windows installer runs in; Installed when it is ready.
  Outcome PrepareWine(const QString& logFile);
  void ReportPhase(Phase phase);
  void ReportProgress(std::int64_t received, std::int64_t total);

  std::mutex ownerMutex;
  InstallerDownload* owner;
  bool waitedForKey = false;
  int keyLock = -1;  // the key's lock file, locked, while the key is claimed
  QElapsedTimer sinceReport;
  int lastReported = -1;
};

void InstallerDownload::Shared::Run() {
  Trace(gameKey);
  Trace(QStringLiteral("----------------game_name1-------------------\n"));
  Outcome outcome = Outcome::Failed;
  if (!IsAcceptableGameKey(gameKey)) {
    TraceFormat(QStringLiteral("---------game key refused---------%s\n"), gameKey);
  } else if (!ClaimKey()) {
    outcome = Outcome::Cancelled;
  } else {
    outcome = InstallGame();
    ReleaseKey();
  }
  Post([outcome](InstallerDownload& job) { emit job.finished(outcome); });
}

bool InstallerDownload::Shared::ClaimKey() {
  BusyKeys& busy = Busy();
  std::unique_lock lock(busy.mutex);
  waitedForKey = false;
  while (busy.keys.contains(gameKey)) {
    // An earlier window's installer still runs: this one waits for it instead of
    // downloading over it.
    if (!waitedForKey) {
      waitedForKey = true;
      ReportPhase(Phase::Installing);
    }
    if (cancelled.load()) return false;
    busy.released.wait_for(lock, kKeyPoll);
  }
  busy.keys.insert(gameKey);
  lock.unlock();
  if (LockKeyFile()) return true;
  ReleaseKey();
  return false;
}

bool InstallerDownload::Shared::LockKeyFile() {
  const QString path = paths::InstallerLock(gameKey);
  QDir().mkpath(QFileInfo(path).path());
  keyLock = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file there is still the lock within this process.
  if (keyLock < 0) return true;
  while (::flock(keyLock, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return true;
    if (!waitedForKey) {
      waitedForKey = true;
      ReportPhase(Phase::Installing);
    }
    if (cancelled.load()) return false;
    std::this_thread::sleep_for(kKeyPoll);
  }
  return true;
}

void InstallerDownload::Shared::ReleaseKey() {
  if (keyLock >= 0) ::close(keyLock);
  keyLock = -1;
  {
    const std::lock_guard lock(Busy().mutex);
    Busy().keys.remove(gameKey);
  }
  Busy().released.notify_all();
}

InstallerDownload::Outcome InstallerDownload::Shared::InstallGame() {
  // The installer this one waited for has put the game there: nothing to download.
  const QString installer = paths::InstallerPath(gameKey);
  if (waitedForKey && QFileInfo(paths::GameExecutable(gameKey)).isFile()) {
    // What an installer whose window had closed left behind.
    QFile::remove(installer);
    return Outcome::Installed;
  }
  Trace(QStringLiteral("----------------CStringExePath-------------------\n"));
  Trace(installer);
  // A whole installer is only ever there after it was downloaded (and verified) to its end
  // by a try that could not run it: the user has installed wine since, say.
  const QFileInfo kept(installer);
  const bool reuses = kept.isFile() && kept.lastModified().toUTC().addSecs(
                                           std::chrono::seconds(InstallerFetch::kPartialLifetime).count()) >
                                           QDateTime::currentDateTimeUtc();
  if (reuses) {
    TraceFormat(QStringLiteral("----------installer kept from the last try----------%s\n"), installer);
    Post([](InstallerDownload& job) { emit job.progressChanged(kProgressRange); });
  } else if (const Outcome downloaded = Download(installer); downloaded != Outcome::Installed) {
    return downloaded;
  }
  return Install(installer);
}

InstallerDownload::Outcome InstallerDownload::Shared::Download(const QString& installer) {
  const QString folder = paths::InstallerFolder();
  if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, kOwnerOnly)) return Outcome::Failed;

  InstallerFetch fetch(address, installer, cancelled);
  fetch.SetStallTimeout(stallTimeout);
  fetch.SetBackOffUnit(backOffUnit);
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
  if (!command.logFile.isEmpty()) {
    PrepareProgramLog(gameKey);
    if (const Outcome prepared = PrepareWine(command.logFile); prepared != Outcome::Installed) return prepared;
  }
  ReportPhase(Phase::Installing);
  // On the heap: a window closed meanwhile ends the wait, and the installer must run on.
  auto owned = std::make_unique<QProcess>();
  QProcess& process = *owned;
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(command.workingDirectory);
  process.setProcessEnvironment(command.environment);
  if (command.logFile.isEmpty()) {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
  } else {
    process.setStandardOutputFile(command.logFile, QIODevice::Append);
    process.setStandardErrorFile(command.logFile, QIODevice::Append);
  }
  // The installer holds the key's lock too, for as long as it runs: should this process
  // end meanwhile, a newer one still waits for it instead of installing over it.
  process.setChildProcessModifier([lock = keyLock] {
    InstallerSession::BecomeLeader();
    if (lock >= 0) ::fcntl(lock, F_SETFD, 0);
  });
  process.start();
  if (!process.waitForStarted(-1)) {
    TraceFormat(QStringLiteral("----------installer not started----------%s\n"), installer);
    // Nothing here can run it: the next try downloads it again.
    QFile::remove(installer);
    return Outcome::NoGame;
  }
  const qint64 session = process.processId();
  // The game only exists once its installer is through, and with it whatever it started.
  // A setup wizard may stay open for long; closing the window (or the launcher's exit)
  // ends the wait, never the installer: QProcess's destructor would kill it, so it is
  // kept (KeepRunning). Its inherited lock file keeps any later worker, here or in a
  // newer process, waiting for it.
  while (!process.waitForFinished(static_cast<int>(kKeyPoll.count()))) {
    if (process.state() == QProcess::NotRunning) break;
    if (cancelled.load()) {
      TraceFormat(QStringLiteral("----------installer left running----------%s\n"), installer);
      KeepRunning(std::move(owned));
      return Outcome::Cancelled;
    }
  }
  if (!InstallerSession::WaitUntilEnded(session, kSessionLimit))
    TraceFormat(QStringLiteral("----------installer still running----------%s\n"), installer);
  const QString executable = paths::GameExecutable(gameKey);
  const bool installed = QFileInfo(executable).isFile();
  // The installer has done its work, or cannot do it: it goes, whether or not anyone waits
  // for the outcome, and a next try downloads it again.
  QFile::remove(installer);
  // The window closed meanwhile: nobody hands back.
  if (cancelled.load()) return Outcome::Cancelled;
  if (!installed) {
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
