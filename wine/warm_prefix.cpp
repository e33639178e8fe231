#include "wine/warm_prefix.h"

#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/trace.h"
#include "platform/worker_threads.h"
#include "wine/prefix_preparation.h"
#include "wine/program_log.h"
#include "wine/wine.h"

#include <QCoreApplication>
#include <QPointer>

namespace tarvex {
namespace {

constexpr std::chrono::minutes kPrepareLimit{3};

}  // namespace

WarmPrefix::WarmPrefix(QObject* parent) : QObject(parent) {}

WarmPrefix::~WarmPrefix() {
  m_cancelled->store(true);
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
  // A worker the process waits for, bounded, before it ends; cancelled by the destructor.
  StartWorker([cancelled = m_cancelled, self = QPointer<WarmPrefix>(this)] {
    const QString log = PreparePrefixLog();
    if (wine::PreparePrefix(log, *cancelled, kPrepareLimit) != wine::Preparation::Ready) return;
    // Queued to the GUI thread; dropped when the object has gone meanwhile.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] { if (self) self->StartKeeper(); }, Qt::QueuedConnection);
  });
}

void WarmPrefix::StartKeeper() {
  if (m_cancelled->load() || !wine::LinkBox()) return;
  m_keeper.setProgram(wine::Executable());
  m_keeper.setArguments({QStringLiteral("cmd.exe"), QStringLiteral("/k")});
  m_keeper.setWorkingDirectory(paths::WinePrefix());
  m_keeper.setProcessEnvironment(wine::Environment(ProgramEnvironment(), QString()));
  m_keeper.setStandardOutputFile(QProcess::nullDevice());
  m_keeper.setStandardErrorFile(QProcess::nullDevice());
  m_keeper.start(QIODevice::WriteOnly);
  if (!m_keeper.waitForStarted()) return;
  Trace(QStringLiteral("----------wine prefix kept warm----------\n"));
}

}  // namespace tarvex
