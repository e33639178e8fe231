#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <optional>

namespace tarvex {

// An installer runs as the leader of a session of its own, so that the processes it starts
// can be waited for too: a self-extractor commonly starts the real setup and exits at once.
// The leader is a shell that runs the installer and writes its exit status to a file, so
// the outcome is known to whoever waits for the session, even a later launcher process.
class InstallerSession {
 public:
  // For QProcess::setChildProcessModifier: runs in the child before it executes.
  static void BecomeLeader();
  // The shell and its arguments that run `program` with `arguments` and then write its exit
  // status (128 + the signal's number when a signal ended it) to `statusFile`.
  static QString RecordingShell();
  static QStringList RecordingArguments(const QString& statusFile, const QString& program,
                                        const QStringList& arguments);
  // The exit status a session left in `statusFile`; none when it wrote none.
  static std::optional<int> RecordedStatus(const QString& statusFile);

  // When process `pid` started, in clock ticks after boot (/proc/PID/stat); none when it
  // does not run. With the pid it names one process, however pids are reused.
  static std::optional<qint64> StartTime(qint64 pid);
  // Whether a process of session `leader`, zombies and wine's own programs aside (the
  // desktop and services a prefix's first program starts, which outlive it), is running.
  static bool IsRunning(qint64 leader);
  // Waits until nothing of session `leader` runs, or `limit` has passed, or `cancelled` is
  // set (looked at ten times a second); true only when the session has ended.
  static bool WaitUntilEnded(qint64 leader, std::chrono::milliseconds limit, const std::atomic<bool>& cancelled);
};

}  // namespace tarvex
