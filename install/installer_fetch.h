#pragma once

#include "install/installer_checksum.h"
#include "install/installer_transfer.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

namespace tarvex {

class InstallerHash;

// Gets an installer to `destination` the way a real network needs: a first attempt and up
// to five more, each resuming what the last one kept, with back-off waits of one, two,
// four, eight and sixteen units (kDefaultBackOffUnit unless set) before them; a client
// error or a refused redirect ends it at once. The installer reaches `destination` only
// verified: when the host publishes a checksum file, its SHA-256, taken while the bytes
// arrive, must match (otherwise it and its partial file are deleted); when the host said
// it publishes none, as it is. Until then it is a part (InstallerTransfer), kept between
// tries with what is known of it, so a try that ends before the check (cancelled, the
// launcher gone) leaves a part that the next try verifies without downloading it again.
// Cancelling ends any attempt or wait at once and keeps the partial file. The checksum
// file is asked for before each attempt until the host has answered it; while it cannot be
// had the installer still comes (hashed all the same), and once it is there the checksum
// is asked for with the attempts that are left, with their back-off waits: a host whose
// checksum file fails spends none of the installer's own attempts, and one that never
// answers it leaves the whole part, Unreachable.
class InstallerFetch {
 public:
  enum class Result {
    Ready,
    Unreachable,  // no attempt got the installer through: the network or the host's trouble
    Refused,      // the host will not give it (a 4xx, a refused redirect)
    NoSpace,      // it does not fit on the disk
    Corrupt,      // it did not match its checksum and is gone
    Failed,       // a local error
    Cancelled,
  };
  static constexpr int kAttempts = 6;
  // Partial files untouched for this long are removed by RemoveStalePartials().
  static constexpr std::chrono::hours kPartialLifetime{24 * 7};
  // The unit of the back-off waits unless SetBackOffUnit says otherwise.
  static constexpr std::chrono::milliseconds kDefaultBackOffUnit = std::chrono::seconds(1);

  InstallerFetch(QString address, QString destination, const std::atomic<bool>& cancelled);

  void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
  void SetProgress(InstallerTransfer::Progress progress) { m_progress = std::move(progress); }
  void SetFreeSpace(InstallerTransfer::FreeSpace freeSpace) { m_freeSpace = std::move(freeSpace); }
  void SetBackOffUnit(std::chrono::milliseconds unit) { m_backOffUnit = unit; }
  // Called once the installer is there and is about to be checked against its checksum.
  void SetVerifying(std::function<void()> verifying) { m_verifying = std::move(verifying); }

  Result Run();

  // Removes the partial files (and their tags) in `folder` older than kPartialLifetime.
  static void RemoveStalePartials(const QString& folder);

 private:
  // Waits before attempt `attempt` (2 and up); false when cancelled meanwhile.
  bool BackOff(int attempt) const;
  // The whole part is there: its checksum, asked for from attempt `attempt` on when not
  // known yet, decides whether it goes to the destination.
  Result Conclude(int attempt, std::optional<InstallerChecksum::Answer> checksum, InstallerHash& hash) const;
  Result Verify(const QByteArray& expected, const QByteArray& actual) const;

  QString m_address;
  QString m_destination;
  const std::atomic<bool>& m_cancelled;
  std::chrono::milliseconds m_stallTimeout = InstallerTransfer::kDefaultStallTimeout;
  std::chrono::milliseconds m_backOffUnit = kDefaultBackOffUnit;
  InstallerTransfer::Progress m_progress;
  InstallerTransfer::FreeSpace m_freeSpace = &InstallerTransfer::DiskFreeSpace;
  std::function<void()> m_verifying;
};

}  // namespace tarvex
