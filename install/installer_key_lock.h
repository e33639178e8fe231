#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <optional>

namespace tarvex {

// The right to download or install one game: at most one worker per game key, in this
// process (a set of busy keys) and across launcher processes (the key's lock file,
// paths::InstallerLock, locked with flock and never handed to a program the worker starts).
// The lock file also records the installer session that runs for the key, by its leader's
// pid and start time: a worker that stops waiting for its installer (its window closed, or
// its launcher ended) leaves that record, and the next holder of the key finds it and
// waits for that session instead of installing over it. The session's exit status goes to
// a file beside the lock file (StatusFile).
class InstallerKeyLock {
 public:
  explicit InstallerKeyLock(QString gameKey);
  ~InstallerKeyLock();
  InstallerKeyLock(const InstallerKeyLock&) = delete;
  InstallerKeyLock& operator=(const InstallerKeyLock&) = delete;

  // Waits until the key is free and takes it; `waiting` is called once when it has to wait.
  // False when cancelled meanwhile.
  bool Take(const std::atomic<bool>& cancelled, const std::function<void()>& waiting);
  // Gives the key back (the destructor does too); the record stays.
  void Release();

  // Records the session of the installer that now runs for the key; false when it cannot.
  bool RecordSession(qint64 leader);
  // The recorded session's leader, when that session still runs.
  std::optional<qint64> RunningSession() const;
  // Whether a session is recorded, running or not.
  bool HasSession() const;
  // Forgets the recorded session and its exit status; false when the record stays.
  bool ClearSession();
  // Where the recorded session's installer leaves its exit status.
  QString StatusFile() const;

 private:
  struct Record {
    qint64 leader = 0;
    qint64 startTime = 0;
  };
  std::optional<Record> ReadRecord() const;
  bool LockFile(const std::atomic<bool>& cancelled, const std::function<void()>& waiting);

  const QString m_gameKey;
  bool m_taken = false;
  int m_file = -1;  // the key's lock file, locked, while the key is taken
};

}  // namespace tarvex
