#pragma once

#include <QtGlobal>

#include <chrono>

namespace tarvex {

// An installer runs as the leader of a session of its own, so that the processes it starts
// can be waited for too: a self-extractor commonly starts the real setup and exits at once.
class InstallerSession {
 public:
  // For QProcess::setChildProcessModifier: runs in the child before it executes.
  static void BecomeLeader();
  // Whether a process of session `leader`, zombies aside, is still running.
  static bool IsRunning(qint64 leader);
  // Waits until nothing of session `leader` runs, or `limit` has passed (false then).
  static bool WaitUntilEnded(qint64 leader, std::chrono::milliseconds limit);
};

}  // namespace tarvex
