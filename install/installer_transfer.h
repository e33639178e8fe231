#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace tarvex {

// One blocking HTTP(S) download of an installer into `destination`. The bytes go to a
// temporary file beside it, which replaces `destination` only when the transfer ended
// with a 2xx status; on every other outcome it is removed, so a partial file or an error
// page is never left under the installer's name.
class InstallerTransfer {
 public:
  enum class Result { Done, Failed, Cancelled };
  // Bytes received so far and the expected total (0 while unknown), on the calling thread.
  using Progress = std::function<void(std::int64_t received, std::int64_t total)>;

  // `cancelled` is polled during the transfer and must outlive Run().
  InstallerTransfer(QString address, QString destination, const std::atomic<bool>& cancelled);

  // No bytes for this long fails the transfer (60 s unless set).
  void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
  void SetProgress(Progress progress) { m_progress = std::move(progress); }

  Result Run();

  // Called by the transfer's callback; true stops the transfer.
  bool OnTransferInfo(std::int64_t received, std::int64_t total);

 private:
  QString m_address;
  QString m_destination;
  const std::atomic<bool>& m_cancelled;
  std::chrono::milliseconds m_stallTimeout{std::chrono::seconds(60)};
  Progress m_progress;
  std::int64_t m_lastReceived = -1;
  std::chrono::steady_clock::time_point m_lastChange;
};

}  // namespace tarvex
