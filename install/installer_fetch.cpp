#include "install/installer_fetch.h"

#include "install/installer_checksum.h"
#include "install/installer_hash.h"
#include "platform/trace.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <thread>

namespace tarvex {
namespace {

// How often a back-off wait looks at the cancel flag.
constexpr std::chrono::milliseconds kCancelPoll{20};

}  // namespace

InstallerFetch::InstallerFetch(QString address, QString destination, const std::atomic<bool>& cancelled)
    : m_address(std::move(address)), m_destination(std::move(destination)), m_cancelled(cancelled) {}

bool InstallerFetch::BackOff(int attempt) const {
  const auto until = std::chrono::steady_clock::now() + m_backOffUnit * (1 << (attempt - 2));
  while (std::chrono::steady_clock::now() < until) {
    if (m_cancelled.load()) return false;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        kCancelPoll, until - std::chrono::steady_clock::now()));
  }
  return !m_cancelled.load();
}

InstallerFetch::Result InstallerFetch::Run() {
  // Known once the host has answered for it: a sum, or none.
  std::optional<InstallerChecksum::Answer> checksum;
  InstallerHash hash;
  bool restarted = false;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (attempt > 1 && !restarted && !BackOff(attempt)) return Result::Cancelled;
    restarted = false;
    if (!checksum) {
      const InstallerChecksum::Answer answer = InstallerChecksum::Fetch(m_address, m_cancelled, m_stallTimeout);
      if (answer.kind == InstallerChecksum::Kind::Cancelled) return Result::Cancelled;
      if (answer.kind != InstallerChecksum::Kind::Transient) checksum = answer;
    }
    // Hashed unless the host said it publishes no sum: it may still say it has one.
    const bool hashes = !checksum || checksum->kind == InstallerChecksum::Kind::Sum;
    InstallerTransfer transfer(m_address, m_destination, m_cancelled);
    transfer.SetStallTimeout(m_stallTimeout);
    transfer.SetProgress(m_progress);
    transfer.SetFreeSpace(m_freeSpace);
    transfer.SetHash(hashes ? &hash : nullptr);
    switch (transfer.Run()) {
      case InstallerTransfer::Result::Done:
        return Conclude(attempt, checksum, hash);
      case InstallerTransfer::Result::Cancelled:
        return Result::Cancelled;
      case InstallerTransfer::Result::Refused:
        return Result::Refused;
      case InstallerTransfer::Result::NoSpace:
        return Result::NoSpace;
      case InstallerTransfer::Result::Failed:
        return Result::Failed;
      case InstallerTransfer::Result::Restart:
        // The kept part is gone: the next attempt asks for the whole file, without a wait.
        restarted = true;
        continue;
      case InstallerTransfer::Result::Transient:
        break;
    }
  }
  return Result::Unreachable;
}

InstallerFetch::Result InstallerFetch::Conclude(int attempt, std::optional<InstallerChecksum::Answer> checksum,
                                               InstallerHash& hash) const {
  for (bool asked = false; !checksum; asked = true) {
    if (asked && (++attempt > kAttempts || !BackOff(attempt))) {
      if (m_cancelled.load()) return Result::Cancelled;
      // Kept whole, unverified, and never run: the next try asks again.
      TraceFormat(QStringLiteral("----------installer not verified----------%s\n"), m_destination);
      return Result::Unreachable;
    }
    const InstallerChecksum::Answer answer = InstallerChecksum::Fetch(m_address, m_cancelled, m_stallTimeout);
    if (answer.kind == InstallerChecksum::Kind::Cancelled) return Result::Cancelled;
    if (answer.kind != InstallerChecksum::Kind::Transient) checksum = answer;
  }
  if (checksum->kind == InstallerChecksum::Kind::Sum) {
    if (m_verifying) m_verifying();
    if (const Result verified = Verify(checksum->sum, hash.Result()); verified != Result::Ready) return verified;
  }
  return InstallerTransfer::MoveIntoPlace(m_destination) ? Result::Ready : Result::Failed;
}

InstallerFetch::Result InstallerFetch::Verify(const QByteArray& expected, const QByteArray& actual) const {
  if (expected == actual) return Result::Ready;
  TraceFormat(QStringLiteral("----------installer checksum mismatch----------%s\n"), m_destination);
  QFile::remove(m_destination);
  QFile::remove(InstallerTransfer::PartialPath(m_destination));
  QFile::remove(InstallerTransfer::TagPath(m_destination));
  return Result::Corrupt;
}

void InstallerFetch::RemoveStalePartials(const QString& folder) {
  const QDateTime oldest = QDateTime::currentDateTimeUtc().addSecs(-std::chrono::seconds(kPartialLifetime).count());
  const QFileInfoList partials =
      QDir(folder).entryInfoList({InstallerTransfer::PartialPath(QStringLiteral("*"))}, QDir::Files | QDir::Hidden);
  for (const QFileInfo& partial : partials) {
    if (partial.lastModified().toUTC() >= oldest) continue;
    // The installer this part belongs to, whose names the transfer gives.
    const QString destination = partial.filePath().chopped(InstallerTransfer::PartialPath(QString()).size());
    QFile::remove(InstallerTransfer::PartialPath(destination));
    QFile::remove(InstallerTransfer::TagPath(destination));
  }
}

}  // namespace tarvex
