#include "install/installer_download.h"

#include "install/file_name_rules.h"
#include "install/installer_transfer.h"
#include "platform/paths.h"
#include "platform/program_starter.h"
#include "platform/trace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <mutex>

namespace tarvex {
namespace {

std::atomic<int> g_runningWorkers{0};

// Progress reports are sent at most this often (about 30 a second).
constexpr qint64 kProgressIntervalMs = 33;

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

}  // namespace

// What the job and its worker share. The worker holds it until it ends; the job may be
// gone long before.
struct InstallerDownload::Shared {
  Shared(QString address, QString gameKey, QString launchParams, ProgramStarter& programStarter,
         InstallerDownload* owner)
      : address(std::move(address)),
        gameKey(std::move(gameKey)),
        launchParams(std::move(launchParams)),
        programStarter(programStarter),
        owner(owner) {}

  const QString address;
  const QString gameKey;
  const QString launchParams;
  ProgramStarter& programStarter;
  std::chrono::milliseconds stallTimeout{std::chrono::seconds(60)};
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
  InstallerTransfer::Result Download(const QString& installer);
  Outcome Install(const QString& installer);
  void ReportProgress(std::int64_t received, std::int64_t total);

  std::mutex ownerMutex;
  InstallerDownload* owner;
  QElapsedTimer sinceReport;
  int lastReported = -1;
};

void InstallerDownload::Shared::Run() {
  Trace(gameKey);
  Trace(QStringLiteral("----------------game_name1-------------------\n"));
  Outcome outcome = Outcome::Failed;
  if (!IsAcceptableGameKey(gameKey)) {
    TraceFormat(QStringLiteral("---------game key refused---------%s\n"), gameKey);
  } else {
    const QString installer = paths::InstallerPath(gameKey);
    Trace(QStringLiteral("----------------CStringExePath-------------------\n"));
    Trace(installer);
    switch (Download(installer)) {
      case InstallerTransfer::Result::Done:
        outcome = Install(installer);
        break;
      case InstallerTransfer::Result::Cancelled:
        outcome = Outcome::Cancelled;
        break;
      case InstallerTransfer::Result::Failed:
        break;
    }
  }
  Post([outcome](InstallerDownload& job) { emit job.finished(outcome); });
}

InstallerTransfer::Result InstallerDownload::Shared::Download(const QString& installer) {
  const QString folder = paths::InstallerFolder();
  if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, kOwnerOnly)) return InstallerTransfer::Result::Failed;

  InstallerTransfer transfer(address, installer, cancelled);
  transfer.SetStallTimeout(stallTimeout);
  transfer.SetProgress([this](std::int64_t received, std::int64_t total) { ReportProgress(received, total); });
  const InstallerTransfer::Result result = transfer.Run();
  if (result == InstallerTransfer::Result::Done)
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
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start();
  if (!process.waitForStarted(-1)) {
    TraceFormat(QStringLiteral("----------installer not started----------%s\n"), installer);
    return Outcome::Failed;
  }
  // The game only exists once its installer is through.
  process.waitForFinished(-1);
  // The window closed meanwhile: the installer has finished its work, nothing else starts.
  if (cancelled.load()) return Outcome::Cancelled;
  const QString executable = paths::GameExecutable(gameKey);
  if (!QFileInfo(executable).isFile()) {
    // Handing back now would make the main window ask again, find the game missing and
    // download it once more, over and over: the window stays instead, as after a failure.
    TraceFormat(QStringLiteral("----------installer left no game----------%s\n"), executable);
    return Outcome::Failed;
  }
  programStarter.StartDetached(executable, QStringList{launchParams});
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

InstallerDownload::InstallerDownload(QString address, QString gameKey, QString launchParams,
                                     ProgramStarter& programStarter, QObject* parent)
    : QObject(parent),
      m_shared(std::make_shared<Shared>(std::move(address), std::move(gameKey), std::move(launchParams),
                                        programStarter, this)) {}

InstallerDownload::~InstallerDownload() {
  Cancel();
  m_shared->Detach();
}

void InstallerDownload::SetStallTimeout(std::chrono::milliseconds timeout) { m_shared->stallTimeout = timeout; }

void InstallerDownload::Start() {
  if (m_started) return;
  m_started = true;
  ++g_runningWorkers;
  QThread* worker = QThread::create([shared = m_shared]() mutable {
    shared->Run();
    // The worker lets go of the job's state itself, before it ends, instead of leaving
    // that to whichever thread deletes the QThread later.
    shared.reset();
    --g_runningWorkers;
  });
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

void InstallerDownload::Cancel() { m_shared->cancelled.store(true); }

int InstallerDownload::ScaledProgress(std::int64_t received, std::int64_t total) {
  if (total <= 0 || received <= 0) return 0;
  if (received >= total) return kProgressRange;
  return static_cast<int>(static_cast<double>(received) / static_cast<double>(total) * kProgressRange);
}

int InstallerDownload::RunningWorkers() { return g_runningWorkers.load(); }

}  // namespace tarvex
