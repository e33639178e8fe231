#include "portal/start_ping.h"

#include "platform/trace.h"
#include "portal/address_field.h"
#include "portal/login_token_reader.h"
#include "portal/portal_transport.h"
#include "portal/target_encoding.h"

namespace tarvex {

QString StartPingTarget(const QString& gameUrl) {
  return QStringLiteral("/tj/minclient?game_id=") + EncodeTargetValue(AddressField(gameUrl, 6)) +
         QStringLiteral("&type=3&key=");
}

void HttpGet(const PortalTransportOptions& options, const QString& target, const QString& loginToken) {
  // The start ping begins, for this target (the token not yet appended).
  Trace(QStringLiteral("----------------开始HttpGet-------------------\n"));
  Trace(target);
  const QString completed = target + EncodeTargetValue(loginToken);
  if (!IsUsableToken(loginToken)) return;
  // The token is usable: the ping goes out.
  Trace(QStringLiteral("----------------flag HttpGet-------------------\n"));
  const auto answer = PortalGet(options, completed, PortalBody::Skip);
  // Whether the portal recorded the start ("成功记录" recorded, "错误记录" not), with the
  // target as sent.
  if (answer && answer->status == 200)
    TraceFormat(QStringLiteral("------------------成功记录URL:---------------------%s\n"), completed);
  else
    TraceFormat(QStringLiteral("------------------错误记录URL:---------------------%s\n"), completed);
}

StartPing::StartPing(PortalTransportOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {}

void StartPing::Start(const QString& target, const QString& loginToken) {
  m_call.Start([this, options = m_options, target, loginToken](const std::atomic<bool>& cancelled) {
    PortalTransportOptions cancellable = options;
    cancellable.cancelled = &cancelled;
    HttpGet(cancellable, target, loginToken);
    return std::function<void()>([this] { emit Finished(); });
  });
}

}  // namespace tarvex
