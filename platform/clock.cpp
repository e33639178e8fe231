#include "platform/clock.h"

#include <ctime>

namespace tarvex {

std::uint32_t SystemClock::TickCount() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                            static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

}  // namespace tarvex
