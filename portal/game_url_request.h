#pragma once

#include "portal/game_url_decision.h"
#include "portal/portal_transport.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tarvex {

// Asks the portal for the user's game address without blocking the GUI thread: the
// transfer runs on a worker thread, and Finished arrives on this object's thread.
// Destroying the object, or starting a new request, cancels the running transfer; its
// answer is then dropped, never delivered.
class GameUrlRequest final : public QObject {
  Q_OBJECT

 public:
  explicit GameUrlRequest(PortalTransportOptions options, QObject* parent = nullptr);
  ~GameUrlRequest() override;

  void Start(const QString& loginToken);
  bool IsRunning() const { return m_running != nullptr; }

 signals:
  void Finished(const tarvex::GameUrlDecision& decision);

 private:
  struct Running;

  void Deliver(const std::shared_ptr<Running>& running, const std::optional<PortalAnswer>& answer);
  void Abandon();

  PortalTransportOptions m_options;
  std::shared_ptr<Running> m_running;
};

}  // namespace tarvex
