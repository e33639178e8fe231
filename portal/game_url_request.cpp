#include "portal/game_url_request.h"

#include <QMetaObject>

#include <atomic>
#include <mutex>
#include <thread>

namespace tarvex {

// Shared by the object and the worker of one transfer. The worker reaches the object
// only through `owner`, under the lock, and the object clears it under the same lock
// before it goes away, so a late worker finds nobody to deliver to.
struct GameUrlRequest::Running {
  std::mutex lock;
  GameUrlRequest* owner = nullptr;
  std::atomic<bool> cancelled{false};
};

GameUrlRequest::GameUrlRequest(PortalTransportOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {}

GameUrlRequest::~GameUrlRequest() { Abandon(); }

void GameUrlRequest::Start(const QString& loginToken) {
  Abandon();
  auto running = std::make_shared<Running>();
  running->owner = this;
  m_running = running;
  PortalTransportOptions options = m_options;
  options.cancelled = &running->cancelled;
  const QString target = GameUrlTarget(loginToken);
  std::thread([running, options, target] {
    const auto answer = PortalGet(options, target, PortalBody::Read);
    const std::lock_guard guard(running->lock);
    GameUrlRequest* owner = running->owner;
    if (owner == nullptr) return;
    // Posted while the lock holds the owner alive; a queued call whose receiver is
    // destroyed before it runs is discarded by Qt.
    QMetaObject::invokeMethod(
        owner, [owner, running, answer] { owner->Deliver(running, answer); }, Qt::QueuedConnection);
  }).detach();
}

void GameUrlRequest::Deliver(const std::shared_ptr<Running>& running, const std::optional<PortalAnswer>& answer) {
  if (running != m_running) return;
  m_running.reset();
  emit Finished(DecideGameUrl(answer));
}

void GameUrlRequest::Abandon() {
  const std::shared_ptr<Running> running = std::move(m_running);
  if (!running) return;
  const std::lock_guard guard(running->lock);
  running->owner = nullptr;
  running->cancelled = true;
}

}  // namespace tarvex
