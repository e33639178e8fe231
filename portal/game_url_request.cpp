#include "portal/game_url_request.h"

namespace tarvex {

GameUrlRequest::GameUrlRequest(PortalTransportOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {}

void GameUrlRequest::Start(const QString& loginToken) {
  m_call.Start([this, options = m_options, target = GameUrlTarget(loginToken)](const std::atomic<bool>& cancelled) {
    PortalTransportOptions cancellable = options;
    cancellable.cancelled = &cancelled;
    const std::optional<PortalAnswer> answer = PortalGet(cancellable, target, PortalBody::Read);
    return std::function<void()>([this, answer] { emit Finished(DecideGameUrl(answer)); });
  });
}

}  // namespace tarvex
