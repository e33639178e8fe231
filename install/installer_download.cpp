#include "install/installer_download.h"

#include "install/file_name_rules.h"
#include "install/installer_fetch.h"
#include "install/installer_session.h"
#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/program_starter.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tarvex {
namespace {

std::atomic<int> g_runningWorkers{0};

// The game keys whose worker downloads or installs now, at most one worker per key.
std::mutex g_keysMutex;
std::condition_variable g_keyReleased;
QSet<QString> g_busyKeys;
// How often a worker waiting for a key looks at its cancel flag.
constexpr std::chrono::milliseconds kKeyPoll{50};
// How long the processes an installer started may run on after it has exited.
constexpr std::chrono::minutes kSessionLimit{30};

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
  std::chrono::milliseconds stallTimeout{std::chrono::seconds(60)};
  std::chrono::milliseconds backOffUnit{std::chrono::seconds(1)};
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
  void ReleaseKey();
  Outcome InstallGame();
  InstallerFetch::Result Download(const QString& installer);
  Outcome Install(const QString& installer);
  void ReportProgress(std::int64_t received, std::int64_t total);

  std::mutex ownerMutex;
  InstallerDownload* owner;
  bool waitedForKey = false;
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
  std::unique_lock lock(g_keysMutex);
  waitedForKey = false;
  while (g_busyKeys.contains(gameKey)) {
    // An earlier window's installer still runs: this one waits for it instead of
    // downloading over it.
    waitedForKey = true;
    if (cancelled.load()) return false;
    g_keyReleased.wait_for(lock, kKeyPoll);
  }
  g_busyKeys.insert(gameKey);
  return true;
}

void InstallerDownload::Shared::ReleaseKey() {
  {
    const std::lock_guard lock(g_keysMutex);
    g_busyKeys.remove(gameKey);
  }
  g_keyReleased.notify_all();
}

InstallerDownload::Outcome InstallerDownload::Shared::InstallGame() {
  // The installer this one waited for has put the game there: nothing to download.
  if (waitedForKey && QFileInfo(paths::GameExecutable(gameKey)).isFile()) return Outcome::Installed;
  const QString installer = paths::InstallerPath(gameKey);
  Trace(QStringLiteral("----------------CStringExePath-------------------\n"));
  Trace(installer);
  switch (Download(installer)) {
    case InstallerFetch::Result::Ready:
      return Install(installer);
    case InstallerFetch::Result::Cancelled:
      return Outcome::Cancelled;
    case InstallerFetch::Result::Corrupt:
      return Outcome::Corrupt;
    case InstallerFetch::Result::Failed:
      break;
  }
  return Outcome::Failed;
}

InstallerFetch::Result InstallerDownload::Shared::Download(const QString& installer) {
  const QString folder = paths::InstallerFolder();
  if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, kOwnerOnly)) return InstallerFetch::Result::Failed;

  InstallerFetch fetch(address, installer, cancelled);
  fetch.SetStallTimeout(stallTimeout);
  fetch.SetBackOffUnit(backOffUnit);
  fetch.SetProgress([this](std::int64_t received, std::int64_t total) { ReportProgress(received, total); });
  const InstallerFetch::Result result = fetch.Run();
  if (result == InstallerFetch::Result::Ready)
    Post([](InstallerDownload& job) { emit job.progressChanged(kProgressRange); });
  return result;
}

InstallerDownload::Outcome InstallerDownload::Shared::Install(const QString& installer) {
  if (cancelled.load()) return Outcome::Cancelled;
  QFile::setPermissions(installer, kOwnerOnly);
  if (MissesWine(installer)) return Outcome::WineMissing;
  const ProgramCommand command = CommandFor(installer, {});
  QProcess process;
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(paths::InstallerFolder());
  process.setProcessEnvironment(ProgramEnvironment());
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setChildProcessModifier(&InstallerSession::BecomeLeader);
  process.start();
  if (!process.waitForStarted(-1)) {
    TraceFormat(QStringLiteral("----------installer not started----------%s\n"), installer);
    return Outcome::Failed;
  }
  const qint64 session = process.processId();
  // The game only exists once its installer is through, and with it whatever it started.
  process.waitForFinished(-1);
  if (!InstallerSession::WaitUntilEnded(session, kSessionLimit))
    TraceFormat(QStringLiteral("----------installer still running----------%s\n"), installer);
  const QString executable = paths::GameExecutable(gameKey);
  const bool installed = QFileInfo(executable).isFile();
  // The installer has done its work: it goes, whether or not anyone waits for the outcome.
  if (installed) QFile::remove(installer);
  // The window closed meanwhile: nobody hands back.
  if (cancelled.load()) return Outcome::Cancelled;
  if (!installed) {
    // Handing back now would make the main window ask again, find the game missing and
    // download it once more, over and over: the window stays instead, as after a failure.
    TraceFormat(QStringLiteral("----------installer left no game----------%s\n"), executable);
    return Outcome::Failed;
  }
  return Outcome::Installed;
}

void InstallerDownload::Shared::ReportProgress(std::int64_t received, std::int64_t total) {
  const int value = ScaledProgress(received, total);
  if (value == lastReported) return;
  if (lastReported >= 0 && sinceReport.elapsed() < kProgressIntervalMs && value != kProgressRange) return;
  lastReported = value;
  sinceReport.start();
  Post([value](InstallerDownload& job) { emit job.progressChanged(value); });
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
  ++g_runningWorkers;
  // A worker the process waits for, bounded, before it ends (see worker_threads.h).
  StartWorker([shared = m_shared]() mutable {
    shared->Run();
    shared.reset();
    --g_runningWorkers;
  });
}

void InstallerDownload::Cancel() { m_shared->cancelled.store(true); }

int InstallerDownload::ScaledProgress(std::int64_t received, std::int64_t total) {
  if (total <= 0 || received <= 0) return 0;
  if (received >= total) return kProgressRange;
  return static_cast<int>(static_cast<double>(received) / static_cast<double>(total) * kProgressRange);
}

int InstallerDownload::RunningWorkers() { return g_runningWorkers.load(); }

}  // namespace tarvex
