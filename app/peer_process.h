#pragma once

#include <sys/types.h>

namespace tarvex {

// Another process of this user that a starting instance waits for and may have to end,
// held by a process file descriptor from the moment it is known: a process id that is
// reused meanwhile never receives a signal meant for the process that had it.
class PeerProcess final {
 public:
  // Takes hold of `pid`; holds nothing when it is 0, this process, or gone already.
  explicit PeerProcess(pid_t pid);
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  bool IsHeld() const { return m_fd >= 0; }
  pid_t Pid() const { return m_pid; }
  // Readable once the process has ended; -1 when nothing is held.
  int Fd() const { return m_fd; }
  bool HasEnded() const;
  // Whether it runs this same program: its executable is the file this process runs.
  bool IsThisProgram() const;
  // Sends `signal`, only when it runs this same program: a process of the user's that is
  // not the launcher is never ended. Returns whether the signal was sent.
  bool End(int signal) const;

 private:
  pid_t m_pid = 0;
  int m_fd = -1;
};

}  // namespace tarvex
