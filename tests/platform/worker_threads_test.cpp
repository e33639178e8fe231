#include "platform/worker_threads.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

// Something a worker's work captures, which tells how it went: a capture destroyed after
// its worker counted out could still run while the process unloads its libraries.
struct Capture {
  struct Gone {
    std::thread::id thread;
    bool workerStillCounted = false;
  };
  explicit Capture(std::promise<Gone>& gone) : gone(gone) {}
  ~Capture() { gone.set_value({std::this_thread::get_id(), !WaitForWorkers(0ms)}); }
  std::promise<Gone>& gone;
};

TEST(WorkerThreads, WorkRunsOffTheCallersThreadWhichAlsoDestroysItsCapturesBeforeItEnds) {
  ASSERT_TRUE(WaitForWorkers(10s));  // none of an earlier test's left
  std::promise<std::thread::id> ran;
  std::promise<Capture::Gone> gone;
  StartWorker([&ran, capture = std::make_shared<Capture>(gone)] { ran.set_value(std::this_thread::get_id()); });
  ASSERT_TRUE(WaitForWorkers(10s));

  std::future<std::thread::id> worker = ran.get_future();
  std::future<Capture::Gone> captureGone = gone.get_future();
  ASSERT_EQ(captureGone.wait_for(0s), std::future_status::ready);
  const std::thread::id workerThread = worker.get();
  const Capture::Gone how = captureGone.get();
  EXPECT_NE(workerThread, std::this_thread::get_id());
  EXPECT_EQ(how.thread, workerThread);
  EXPECT_TRUE(how.workerStillCounted);
}

TEST(WorkerThreads, WaitingIsBoundedAndEndsWithTheLastWorker) {
  // The first worker waits for the second, so they must run side by side.
  auto release = std::make_shared<std::promise<void>>();
  StartWorker([released = release->get_future().share()] { released.wait_for(10s); });
  const auto start = std::chrono::steady_clock::now();
  // A wait that ignored its bound would return only once the first worker gave up, true.
  EXPECT_FALSE(WaitForWorkers(100ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);

  StartWorker([release] { release->set_value(); });
  EXPECT_TRUE(WaitForWorkers(5s));
}

}  // namespace
}  // namespace tarvex
