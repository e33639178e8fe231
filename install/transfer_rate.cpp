#include "install/transfer_rate.h"

#include <cmath>

namespace tarvex {

void TransferRate::Add(std::chrono::milliseconds at, qint64 received) {
  if (!m_since || received < m_lastReceived || at < m_lastAt) {
    m_since = at;
    m_lastAt = at;
    m_lastReceived = received;
    m_rate.reset();
    return;
  }
  const auto elapsed = at - m_lastAt;
  if (elapsed.count() == 0) return;
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double now = static_cast<double>(received - m_lastReceived) / seconds;
  // The weight of the new reading grows with the time it covers, so the average is the
  // same however often it is fed.
  const double weight = 1.0 - std::exp(-seconds / std::chrono::duration<double>(kSmoothing).count());
  m_rate = m_rate ? *m_rate + weight * (now - *m_rate) : now;
  m_lastAt = at;
  m_lastReceived = received;
}

std::optional<qint64> TransferRate::SecondsLeft(qint64 total) const {
  if (!m_since || !m_rate || total < 0 || m_lastAt - *m_since < kSteadyAfter) return std::nullopt;
  // Below a byte a second the estimate says nothing but "stalled".
  if (*m_rate < 1.0) return std::nullopt;
  const qint64 rest = std::max<qint64>(0, total - m_lastReceived);
  return static_cast<qint64>(std::ceil(static_cast<double>(rest) / *m_rate));
}

}  // namespace tarvex
