#include "install/transfer_rate.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

constexpr double kMiB = 1024 * 1024;

// Feeds `rate` bytes a second from `from` for `span`, a reading every `step`.
void Feed(TransferRate& rate, std::chrono::milliseconds from, std::chrono::milliseconds span,
          std::chrono::milliseconds step, double bytesPerSecond, qint64& received) {
  for (auto at = from + step; at <= from + span; at += step) {
    received += static_cast<qint64>(bytesPerSecond * std::chrono::duration<double>(step).count());
    rate.Add(at, received);
  }
}

TEST(TransferRateTest, TimeLeftOnlyOnceTheSpeedIsSteady) {
  TransferRate rate;
  qint64 received = 0;
  rate.Add(0ms, 0);
  EXPECT_EQ(rate.BytesPerSecond(), 0.0);
  Feed(rate, 0ms, 2000ms, 100ms, kMiB, received);
  EXPECT_NEAR(rate.BytesPerSecond(), kMiB, kMiB * 0.01);
  EXPECT_FALSE(rate.SecondsLeft(100 * kMiB));
  Feed(rate, 2000ms, 1000ms, 100ms, kMiB, received);
  ASSERT_TRUE(rate.SecondsLeft(100 * kMiB));
  EXPECT_NEAR(*rate.SecondsLeft(100 * kMiB), 97, 1);
  EXPECT_FALSE(rate.SecondsLeft(-1));
  // Started over: measured again from nothing.
  rate.Add(3100ms, 10);
  EXPECT_EQ(rate.BytesPerSecond(), 0.0);
  EXPECT_FALSE(rate.SecondsLeft(100 * kMiB));
}

// A one-second burst at ten times the speed moves the average a part of the way, and by
// the same amount whether readings come thirty times a second or twice.
TEST(TransferRateTest, BurstsAndStallsAreSmoothedWhateverTheReadingRate) {
  const struct {
    std::chrono::milliseconds step;
  } rows[] = {{50ms}, {100ms}, {500ms}};
  double afterBurst[3] = {};
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(rows[row].step.count());
    TransferRate rate;
    qint64 received = 0;
    rate.Add(0ms, 0);
    Feed(rate, 0ms, 10000ms, rows[row].step, kMiB, received);
    Feed(rate, 10000ms, 1000ms, rows[row].step, 10 * kMiB, received);
    afterBurst[row] = rate.BytesPerSecond();
    EXPECT_GT(afterBurst[row], 2 * kMiB);
    EXPECT_LT(afterBurst[row], 5 * kMiB);
    // Nothing for ten seconds: the speed falls towards nothing, and no time is promised.
    Feed(rate, 11000ms, 10000ms, rows[row].step, 0, received);
    EXPECT_LT(rate.BytesPerSecond(), 0.2 * kMiB);
  }
  EXPECT_NEAR(afterBurst[0], afterBurst[2], afterBurst[0] * 0.1);
}

}  // namespace
}  // namespace tarvex
