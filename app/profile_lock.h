#pragma once

#include "app/instance_handover.h"

#include <QString>

namespace tarvex {

// The browser profile is its own lock: before the engine opens it, an instance takes an
// exclusive lock on a file in the profile folder and holds it until its process ends. So
// two instances never have the profile open at once, even when a start does not find the
// running instance through its socket (another runtime folder, a name that could not be
// taken, a turn given up on, an older instance that could not be ended).
//
// The file names its holder (process id and instance socket). A start that finds the
// profile held tells the holder to end over that socket, as the hand-over does, ends it by
// signal when the holder has no socket or overstays, and waits for as long as the holder
// lives, bounded as the hand-over's wait is: a holder that not even SIGKILL ends (stuck in
// the kernel) is given up on. GUI thread only.
class ProfileLock final {
 public:
  enum class Outcome {
    Held,        // the profile is this instance's
    ToldToEnd,   // a newer start took over while this one waited: it never opens the profile
    CannotWait,  // the lock cannot be had, or its holder cannot be known (traced)
    HolderStays,  // its holder does not end, not even when killed (traced)
  };

  // `handover` is this instance's, past Listen(); it must outlive the lock.
  ProfileLock(QString lockFile, InstanceHandover& handover);
  // The lock is not let go here: the kernel releases it as the process ends, after the
  // engine has let go of the profile's files.
  ~ProfileLock() = default;
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

  // Takes the lock, waiting as long as its holder lives (bounded), and for as long as no
  // newer start tells this instance to end.
  Outcome Take();

 private:
  struct Holder {
    pid_t pid = 0;
    QString socket;
  };

  Holder ReadHolder() const;
  void WriteHolder() const;

  QString m_lockFile;
  InstanceHandover& m_handover;
  int m_fd = -1;
};

}  // namespace tarvex
