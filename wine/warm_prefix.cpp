#include "wine/warm_prefix.h"

#include "platform/inherited_files.h"
#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"
#include "wine/prefix_preparation.h"
#include "wine/program_log.h"
#include "wine/wine.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tarvex {
namespace {

constexpr std::chrono::minutes kPrepareLimit{3};
// How long the launcher's end waits for a cancelled preparation to clean up after itself.
constexpr std::chrono::seconds kCancelWait{8};

}  // namespace

// What the GUI thread and the preparing worker share.
struct WarmPrefix::Preparation {
  std::atomic<bool> cancelled{false};
  std::mutex mutex;
  std::condition_variable ended;
  bool running = false;
};

WarmPrefix::WarmPrefix(QObject* parent) : QObject(parent), m_preparation(std::make_shared<Preparation>()) {}

WarmPrefix::~WarmPrefix() {
  m_preparation->cancelled.store(true);
  {
    std::unique_lock lock(m_preparation->mutex);
    m_preparation->ended.wait_for(lock, kCancelWait, [this] { return !m_preparation->running; });
  }
  if (m_keeper.state() == QProcess::NotRunning) return;
  // The keeper reads its input until it ends; it ends at once, and the server it kept up
  // once no other Windows program runs.
  m_keeper.closeWriteChannel();
  if (!m_keeper.waitForFinished(1000)) m_keeper.kill();
  m_keeper.waitForFinished(1000);
}

void WarmPrefix::KeepWarm() {
  if (!IsKeeping() && !wine::Executable().isEmpty() && wine::IsPrefixReady()) StartKeeper();
}

void WarmPrefix::Prepare() {
  if (m_preparing || IsKeeping() || wine::Executable().isEmpty()) return;
  m_preparing = true;
  if (wine::IsPrefixReady()) {
    StartKeeper();
    return;
  }
  // Cancelled, and waited for, by the destructor.
  m_preparation->running = true;
  StartWorker([preparation = m_preparation, self = QPointer<WarmPrefix>(this)] {
    const bool ready =
        wine::PreparePrefix(PreparePrefixLog(), preparation->cancelled, kPrepareLimit) == wine::Preparation::Ready;
    {
      const std::lock_guard lock(preparation->mutex);
      preparation->running = false;
    }
    preparation->ended.notify_all();
    if (!ready) return;
    // Queued to the GUI thread; dropped when the object has gone meanwhile.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] { if (self) self->StartKeeper(); }, Qt::QueuedConnection);
  });
}

void WarmPrefix::StartKeeper() {
  if (m_preparation->cancelled.load() || !wine::LinkBox()) return;
  m_keeper.setProgram(wine::Executable());
  m_keeper.setArguments({QStringLiteral("cmd.exe"), QStringLiteral("/k")});
  m_keeper.setWorkingDirectory(paths::WinePrefix());
  m_keeper.setProcessEnvironment(wine::Environment(ProgramEnvironment(), QString()));
  m_keeper.setChildProcessModifier(CloseInheritedFilesOnExec);
  m_keeper.setStandardOutputFile(QProcess::nullDevice());
  m_keeper.setStandardErrorFile(QProcess::nullDevice());
  m_keeper.start(QIODevice::WriteOnly);
  if (!m_keeper.waitForStarted()) return;
  Trace(QStringLiteral("----------wine prefix kept warm----------\n"));
}

}  // namespace tarvex
