#pragma once

#include <QObject>
#include <QProcess>

#include <memory>

namespace tarvex {

// Keeps the launcher's prefix ready and warm while the launcher runs, so that the first
// installer and every game start meet a prefix that is made and a wine server whose
// services are up (a cold start costs a second and more, wineboot --init ten). A keeper, a
// console program of wine's that does nothing, holds the prefix's server up; it starts at
// once when the prefix is ready. One that is missing, half-made or made with another wine is
// prepared in the background at low priority once the portal's page has loaded
// (PreparePrefix, which an installer that needs the prefix meanwhile waits for), and the
// keeper starts after it. Its input is a pipe from the launcher:
// when the launcher ends, however it ends, the keeper ends, and the server with it once no
// Windows program runs. Nothing happens without wine. On the GUI thread.
class WarmPrefix final : public QObject {
  Q_OBJECT

 public:
  explicit WarmPrefix(QObject* parent = nullptr);
  // Cancels a preparation that runs and waits, a few seconds at most, until it has ended
  // the prefix's server and what wineboot started (the prefix is made next time), so that
  // nothing of it outlives the launcher; lets the keeper go.
  ~WarmPrefix() override;

  // Starts the keeper when the prefix is ready; at start-up.
  void KeepWarm();
  // Prepares the prefix in the background when it is not ready, then starts the keeper.
  // Once; later calls, and calls while the keeper runs, do nothing.
  void Prepare();

  bool IsKeeping() const { return m_keeper.state() != QProcess::NotRunning; }

 private:
  void StartKeeper();

  bool m_preparing = false;
  struct Preparation;
  std::shared_ptr<Preparation> m_preparation;
  QProcess m_keeper;
};

}  // namespace tarvex
