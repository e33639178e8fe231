#include "stop_flag.h"

namespace portal {

void StopFlag::Raise() {
  {
    const std::lock_guard lock(m_mutex);
    m_raised = true;
  }
  m_changed.notify_all();
}

bool StopFlag::IsRaised() const {
  const std::lock_guard lock(m_mutex);
  return m_raised;
}

bool StopFlag::SleepFor(std::chrono::milliseconds duration) const {
  std::unique_lock lock(m_mutex);
  return !m_changed.wait_for(lock, duration, [this] { return m_raised; });
}

}  // namespace portal
