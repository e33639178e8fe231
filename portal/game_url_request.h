#pragma once

#include "platform/worker_call.h"
#include "portal/game_url_decision.h"
#include "portal/portal_transport.h"

#include <QObject>
#include <QString>

namespace tarvex {

// Asks the portal for the user's game address without blocking the GUI thread: the
// transfer runs on a worker thread, and Finished arrives on this object's thread.
// Destroying the object, or starting a new request, cancels the running transfer; its
// answer is then dropped, never delivered.
class GameUrlRequest final : public QObject {
  Q_OBJECT

 public:
  explicit GameUrlRequest(PortalTransportOptions options, QObject* parent = nullptr);

  void Start(const QString& loginToken);
  bool IsRunning() const { return m_call.IsRunning(); }

 signals:
  void Finished(const tarvex::GameUrlDecision& decision);

 private:
  PortalTransportOptions m_options;
  WorkerCall m_call{this};
};

}  // namespace tarvex
