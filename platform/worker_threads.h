#pragma once

#include <chrono>
#include <functional>

namespace tarvex {

// The process's background transfers (portal requests, installer downloads) run on
// threads started here, so that the process can wait for them before it unloads the
// libraries they use. Each worker must watch a cancel flag of its own and return soon
// once it is set; whoever owns the work sets it.
//
// Starts `work` on a thread of its own. `work` and everything it captures are destroyed
// on that thread before the worker counts as ended.
void StartWorker(std::function<void()> work);

// Waits until every started worker has ended, at most `timeout`. Returns whether all did.
bool WaitForWorkers(std::chrono::milliseconds timeout);

}  // namespace tarvex
