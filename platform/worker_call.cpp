#include "platform/worker_call.h"

#include "platform/worker_threads.h"

#include <QMetaObject>

#include <mutex>

namespace tarvex {

// Shared by the call and its worker. The worker reaches the owner only through `owner`,
// under the lock, and Abandon clears it under the same lock, so a late worker finds
// nobody to deliver to.
struct WorkerCall::Running {
  std::mutex lock;
  QObject* owner = nullptr;
  std::atomic<bool> cancelled{false};
};

void WorkerCall::Start(Work work) {
  Abandon();
  auto running = std::make_shared<Running>();
  running->owner = m_owner;
  m_running = running;
  StartWorker([this, running, work = std::move(work)] {
    std::function<void()> result = work(running->cancelled);
    const std::lock_guard guard(running->lock);
    if (running->owner == nullptr) return;
    // Posted while the lock holds the owner alive; a queued call whose receiver is
    // destroyed before it runs is discarded by Qt, and so is this object with it.
    QMetaObject::invokeMethod(
        running->owner,
        [this, running, result = std::move(result)] {
          if (running != m_running) return;  // abandoned or superseded meanwhile
          m_running.reset();
          result();
        },
        Qt::QueuedConnection);
  });
}

void WorkerCall::Abandon() {
  const std::shared_ptr<Running> running = std::move(m_running);
  if (!running) return;
  const std::lock_guard guard(running->lock);
  running->owner = nullptr;
  running->cancelled = true;
}

}  // namespace tarvex
