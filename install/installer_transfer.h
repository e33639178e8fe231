#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace tarvex {

class InstallerHash;

// One attempt at downloading the installer that belongs at `destination`. The bytes go to
// a partial file beside it (DESTINATION.part); the transfer never puts anything at
// `destination` itself: its owner moves the part there (MoveIntoPlace) once it is
// verified. The tag beside the part (DESTINATION.part.tag) keeps what is known of it: on
// its first line the server's validator (ETag, else Last-Modified), and "whole" on the
// second once the transfer ended with a 2xx status and every byte. A whole part is not
// asked for again: the next attempt, in this run or a later one, hashes it and is Done.
// An interrupted attempt keeps the part with its validator, and the next one asks only
// for the rest: "Range: bytes=N-" with "If-Range".
// A 206 that starts at N, names the kept part's validator and the file's size is
// appended; a 200 starts the file over; a 416, or any other 206, throws the partial file
// away and asks for another attempt at once.
// As soon as the size is known, the rest must fit into the folder's free space with a
// margin, or nothing is written; a body of no stated size must leave that margin free as
// it comes, and a write that finds the disk full ends the attempt the same way. Each keeps
// the partial file, to be resumed once there is room.
class InstallerTransfer {
 public:
  enum class Result {
    Done,       // the part holds the whole installer, tagged so
    Transient,  // worth another attempt: connection trouble, a stall, a 5xx
    Refused,    // the server will not give it: a 4xx, a refused redirect
    NoSpace,    // the installer does not fit on the disk
    Failed,     // not worth another one: a local error
    Restart,    // the kept part was of no use and is gone: try again at once
    Cancelled,
  };
  // Bytes of the whole installer held so far and its total size (0 while unknown), on the
  // calling thread. A resumed transfer reports from the kept part on.
  using Progress = std::function<void(std::int64_t received, std::int64_t total)>;

  // `cancelled` is polled during the transfer and must outlive Run().
  InstallerTransfer(QString address, QString destination, const std::atomic<bool>& cancelled);

  static QString PartialPath(const QString& destination);
  static QString TagPath(const QString& destination);
  // Moves the whole part to `destination` and drops its tag; false when it cannot.
  static bool MoveIntoPlace(const QString& destination);
  // Makes the installer at `destination` a whole part again, to be verified before it is
  // used; false when it cannot (nothing is there, say).
  static bool KeepAsPart(const QString& destination);
  // Bytes free in the folder of `path`; -1 when unknown.
  using FreeSpace = std::function<std::int64_t(const QString& path)>;
  static std::int64_t DiskFreeSpace(const QString& path);
  // Free space that must remain beside the finished installer.
  static constexpr std::int64_t kSpaceMargin = 32 * 1024 * 1024;
  // A body without a stated size is cut off here: it must not fill the disk.
  static constexpr std::int64_t kLongestInstaller = std::int64_t{8} * 1024 * 1024 * 1024;

  // How long an attempt may go without a byte unless SetStallTimeout says otherwise.
  static constexpr std::chrono::milliseconds kDefaultStallTimeout = std::chrono::seconds(60);

  // No bytes for this long ends the attempt as Transient (kDefaultStallTimeout unless set).
  void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
  // Certificates (a PEM file) to trust instead of the system's: a server with its own.
  void SetTrustedCertificates(const QString& caFile) { m_trustedCertificates = caFile; }
  void SetProgress(Progress progress) { m_progress = std::move(progress); }
  // How the free space is measured (DiskFreeSpace unless set).
  void SetFreeSpace(FreeSpace freeSpace) { m_freeSpace = std::move(freeSpace); }
  // Every byte of the finished installer goes through `hash` exactly once: on a resume the
  // kept part first, read back once. Null: nothing is hashed.
  void SetHash(InstallerHash* hash) { m_hash = hash; }

  Result Run();

  // Called by the transfer's callbacks.
  bool OnTransferInfo(std::int64_t received, std::int64_t total);
  void OnHeader(const QByteArray& line);
  // `status` is that of the answer the bytes belong to.
  bool OnBody(long status, const char* data, qint64 size);

 private:
  bool OpenPartial();
  bool Truncate();
  Result UseWholeKeptPart();
  bool HashKeptPart();
  bool StartBody(long status);
  bool Fits(std::int64_t rest);
  Result Finish(long status, int code);
  void Keep();
  void Discard();

  QString m_address;
  QString m_destination;
  const std::atomic<bool>& m_cancelled;
  std::chrono::milliseconds m_stallTimeout = kDefaultStallTimeout;
  QString m_trustedCertificates;
  Progress m_progress;
  FreeSpace m_freeSpace = &DiskFreeSpace;
  InstallerHash* m_hash = nullptr;
  QFile m_partial;
  std::int64_t m_kept = 0;  // bytes of the partial file this answer continues
  QByteArray m_validator;  // what the kept part was downloaded under
  bool m_whole = false;  // the kept part is the whole installer
  std::int64_t m_total = -1;  // the whole file's size, as a 206 gives it; -1 unknown
  std::int64_t m_end = kLongestInstaller;  // the partial file never grows past this
  // The answer being received (the last one, after redirects).
  QByteArray m_contentRange;
  QByteArray m_etag;
  QByteArray m_lastModified;
  std::int64_t m_contentLength = -1;
  bool m_bodyStarted = false;
  bool m_unsized = false;  // the answer states no size
  std::int64_t m_nextSpaceCheck = 0;  // where an unsized body is measured again
  bool m_noSpace = false;
  bool m_restart = false;
  bool m_writeFailed = false;
  std::int64_t m_lastReceived = -1;
  std::chrono::steady_clock::time_point m_lastChange;
};

}  // namespace tarvex
