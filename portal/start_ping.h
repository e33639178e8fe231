#pragma once

#include "platform/worker_call.h"
#include "portal/portal_transport.h"

#include <QObject>
#include <QString>

namespace tarvex {

// The target of the start ping (statistics event 3) without the token: the game id is
// field 6 of the game address, empty before the first game-address answer.
QString StartPingTarget(const QString& gameUrl);

// The start ping: the statistics request the launcher sends to the portal as it starts
// (statistics event 3). A GET of `target` (StartPingTarget) with the login token appended,
// encoded, as its `key` value; the answer's body is not read. Without a usable token
// nothing is sent. Blocks until the portal answered or the transport gave up; the outcome
// is traced (recorded: status 200) and changes nothing else.
void HttpGet(const PortalTransportOptions& options, const QString& target, const QString& loginToken);

// Sends the start ping on a worker thread, so the window never waits on the portal;
// Finished arrives on this object's thread once the portal answered or the transport gave
// up, at once without a usable token. Destroying the object cancels a running ping.
class StartPing final : public QObject {
  Q_OBJECT

 public:
  explicit StartPing(PortalTransportOptions options, QObject* parent = nullptr);

  void Start(const QString& target, const QString& loginToken);
  bool IsRunning() const { return m_call.IsRunning(); }

 signals:
  void Finished();

 private:
  PortalTransportOptions m_options;
  WorkerCall m_call{this};
};

}  // namespace tarvex
