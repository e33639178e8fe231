// Raised once when the portal shuts down; every deliberate wait of a fault ends early.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace portal {

class StopFlag {
 public:
  void Raise();
  bool IsRaised() const;

  // Waits the given time; false when the flag was raised before it had passed.
  bool SleepFor(std::chrono::milliseconds duration) const;

 private:
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  bool m_raised = false;
};

}  // namespace portal
