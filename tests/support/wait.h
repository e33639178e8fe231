#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace tarvex::testing {

// Waits for a condition outside this process (another program, a file, the X server),
// looking again every 50 ms until it holds or `timeoutMs` has passed.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(50);
  }
  return true;
}

}  // namespace tarvex::testing
