#include "platform/heap_trimmer.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

TEST(HeapTrimmer, ABurstOfEventsTrimsOnceAfterTheLastAndALaterOneTrimsAgain) {
  using Clock = std::chrono::steady_clock;
  // Far longer than the gaps between events, so a slow machine cannot let it run out in
  // the middle of the burst. Timers fire no earlier than a tenth before their time.
  constexpr std::chrono::milliseconds kDelay = 500ms;
  constexpr auto kAtLeast = kDelay * 9 / 10;
  std::vector<Clock::time_point> trims;
  HeapTrimmer trimmer(kDelay, [&] { trims.push_back(Clock::now()); });
  Clock::time_point lastEvent;
  for (int i = 0; i < 5; ++i) {
    lastEvent = Clock::now();
    trimmer.Schedule();
    QTest::qWait(50);  // the event loop runs between the events
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return !trims.empty(); }, 5000));
  EXPECT_GE(trims.front() - lastEvent, kAtLeast);  // after the last event, not an earlier one

  const Clock::time_point later = Clock::now();
  trimmer.Schedule();
  // Anything the burst left pending was due before the later event's trim.
  ASSERT_TRUE(QTest::qWaitFor([&] { return trims.back() - later >= kAtLeast; }, 5000));
  EXPECT_EQ(trims.size(), 2u);
}

long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

TEST(HeapTrimmer, FreedMemoryBelowTheTopOfTheHeapGoesBackToTheSystem) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers bring their own allocator";
#endif
  // 64 MiB in small blocks, all freed but the last, which keeps the heap's top in use:
  // the C library cannot give any of it back by shrinking the heap.
  std::vector<std::unique_ptr<char[]>> blocks;
  for (int i = 0; i < 64 * 1024; ++i) {
    blocks.push_back(std::make_unique<char[]>(1000));
    std::fill_n(blocks.back().get(), 1000, 'x');
  }
  std::unique_ptr<char[]> top = std::move(blocks.back());
  blocks.clear();
  const long before = ResidentKiB();

  ReleaseFreeHeapPages();

  EXPECT_LT(ResidentKiB(), before - 32 * 1024) << "resident before: " << before << " KiB";
}

}  // namespace
}  // namespace tarvex
