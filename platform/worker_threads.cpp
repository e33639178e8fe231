#include "platform/worker_threads.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarvex {
namespace {

struct WorkerCount {
  std::mutex mutex;
  std::condition_variable ended;
  int running = 0;
};

// Never destroyed: a worker that outlives the bounded wait at exit still counts itself out
// while the process's static objects are being torn down.
WorkerCount& Workers() {
  static auto* workers = new WorkerCount;
  return *workers;
}

}  // namespace

void StartWorker(std::function<void()> work) {
  WorkerCount& workers = Workers();
  {
    const std::lock_guard lock(workers.mutex);
    ++workers.running;
  }
  std::thread([work = std::move(work), &workers]() mutable {
    work();
    work = nullptr;  // what it captured goes now, on this thread
    const std::lock_guard lock(workers.mutex);
    --workers.running;
    workers.ended.notify_all();
  }).detach();
}

bool WaitForWorkers(std::chrono::milliseconds timeout) {
  WorkerCount& workers = Workers();
  std::unique_lock lock(workers.mutex);
  return workers.ended.wait_for(lock, timeout, [&] { return workers.running == 0; });
}

}  // namespace tarvex
