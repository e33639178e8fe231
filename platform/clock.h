#pragma once

#include <cstdint>

namespace tarvex {

// Milliseconds since the system started, wrapping at 32 bits like the platform's tick count.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t TickCount() = 0;
};

class SystemClock final : public Clock {
 public:
  std::uint32_t TickCount() override;
};

}  // namespace tarvex
