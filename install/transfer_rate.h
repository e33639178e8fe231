#pragma once

#include <QtGlobal>

#include <chrono>
#include <optional>

namespace tarvex {

// The speed of a download, smoothed over a few seconds (an exponential average with a
// time constant of kSmoothing), and the time it still needs. Fed with readings of the
// bytes there so far, from a steady clock; a reading below the last one (the download
// started over) starts the measurement again.
class TransferRate {
 public:
  static constexpr std::chrono::milliseconds kSmoothing{3000};
  // The time left is only told once the speed has been measured this long.
  static constexpr std::chrono::milliseconds kSteadyAfter{3000};

  void Add(std::chrono::milliseconds at, qint64 received);

  // Bytes a second; 0 before two readings.
  double BytesPerSecond() const { return m_rate.value_or(0.0); }
  // Seconds until `total` bytes are there, once the speed is steady; none before, without
  // a total, or while nothing arrives.
  std::optional<qint64> SecondsLeft(qint64 total) const;

 private:
  std::optional<std::chrono::milliseconds> m_since;  // first reading of this measurement
  std::chrono::milliseconds m_lastAt{0};
  qint64 m_lastReceived = 0;
  std::optional<double> m_rate;
};

}  // namespace tarvex
