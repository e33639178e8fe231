#pragma once

#include <QObject>
#include <QProcess>

#include <atomic>
#include <memory>

namespace tarvex {

// Keeps the launcher's prefix ready and warm while the launcher runs, so that the first
// installer and every game start meet a prefix that is made and a wine server whose
// services are up (a cold start costs a second and more, wineboot --init ten). Started once
// the portal's page has loaded: a prefix that is missing, half-made or made with another
// wine is prepared in the background at low priority (PreparePrefix, which an installer
// that needs the prefix meanwhile waits for), then a keeper, a console program of wine's
// that does nothing, holds the prefix's server up. Its input is a pipe from the launcher:
// when the launcher ends, however it ends, the keeper ends, and the server with it once no
// Windows program runs. Nothing happens without wine. On the GUI thread.
class WarmPrefix final : public QObject {
  Q_OBJECT

 public:
  explicit WarmPrefix(QObject* parent = nullptr);
  // Cancels a preparation that runs (it ends the prefix's server and leaves the prefix to
  // be made next time) and lets the keeper go.
  ~WarmPrefix() override;

  // Once; later calls do nothing.
  void Start();

  bool IsKeeping() const { return m_keeper.state() != QProcess::NotRunning; }

 signals:
  // The keeper is up: the prefix is ready and its server warm.
  void warmChanged();

 private:
  void StartKeeper();

  bool m_started = false;
  std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
  QProcess m_keeper;
};

}  // namespace tarvex
