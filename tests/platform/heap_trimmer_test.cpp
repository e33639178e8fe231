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
  int trims = 0;
  // The delay is far longer than the gaps between events, so a slow machine cannot let
  // it run out in the middle of the burst.
  HeapTrimmer trimmer(500ms, [&] { ++trims; });
  for (int i = 0; i < 5; ++i) {
    trimmer.Schedule();
    QTest::qWait(10);
  }
  EXPECT_EQ(trims, 0);  // still inside the delay of the last event
  ASSERT_TRUE(QTest::qWaitFor([&] { return trims == 1; }, 5000));
  QTest::qWait(100);
  EXPECT_EQ(trims, 1);

  trimmer.Schedule();
  ASSERT_TRUE(QTest::qWaitFor([&] { return trims == 2; }, 5000));
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
