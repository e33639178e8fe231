#pragma once

#include "platform/worker_threads.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <chrono>
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

// Whether every worker of the process (platform/worker_threads.h) has ended by now.
inline bool NoWorkerRunning() { return WaitForWorkers(std::chrono::milliseconds::zero()); }

}  // namespace tarvex::testing
