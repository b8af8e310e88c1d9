// The retrace period, the judgement of whether presents wait for the vertical blank, and
// the hand-over of vertical blanks between the presenting and the game thread.
#include "platform/sdl/sdl_retrace.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace kestal {
namespace {

using namespace std::chrono_literals;

TEST(RefreshPeriod, IsAThousandOverTheRateOrSixteen) {
  EXPECT_EQ(refreshPeriodMs(0), 16);
  EXPECT_EQ(refreshPeriodMs(1), 16);
  EXPECT_EQ(refreshPeriodMs(2), 500);
  EXPECT_EQ(refreshPeriodMs(50), 20);
  EXPECT_EQ(refreshPeriodMs(60), 16);
  EXPECT_EQ(refreshPeriodMs(75), 13);
  EXPECT_EQ(refreshPeriodMs(144), 6);
}

TEST(VsyncDetector, BelievesOnlyThreeSlowPresentsInARow) {
  VsyncDetector detector(16);
  EXPECT_FALSE(detector.observed());
  detector.addInterval(16.7);
  detector.addInterval(16.6);
  EXPECT_FALSE(detector.observed());
  detector.addInterval(0.4);  // one present that did not wait spoils the run
  detector.addInterval(16.7);
  detector.addInterval(16.7);
  EXPECT_FALSE(detector.observed());
  detector.addInterval(8.0);  // half the period counts as waiting
  EXPECT_TRUE(detector.observed());

  VsyncDetector fast(16);
  for (int i = 0; i < 10; ++i) fast.addInterval(7.9);
  EXPECT_FALSE(fast.observed());
}

TEST(VsyncDetector, GivesUpWhenMostRecentPresentsStopWaiting) {
  VsyncDetector detector(16);
  for (int i = 0; i < 3; ++i) detector.addInterval(16.7);
  ASSERT_TRUE(detector.observed());
  // Occasional quick presents (a late frame catching up) do not change the verdict...
  for (int i = 0; i < 4; ++i) {
    detector.addInterval(1.0);
    detector.addInterval(16.7);
  }
  EXPECT_TRUE(detector.observed());
  // ...six of the last eight do.
  for (int i = 0; i < 8; ++i) detector.addInterval(16.7);
  for (int i = 0; i < 5; ++i) detector.addInterval(1.0);
  EXPECT_TRUE(detector.observed());
  detector.addInterval(1.0);
  EXPECT_FALSE(detector.observed());
  // And it can be won back.
  for (int i = 0; i < 3; ++i) detector.addInterval(16.7);
  EXPECT_TRUE(detector.observed());
}

TEST(RetraceSignal, AWaitEndsAtTheNextVerticalBlankOnly) {
  RetraceSignal signal;
  EXPECT_FALSE(signal.hasWaiter());
  EXPECT_FALSE(signal.markVblank());  // a blank before the wait does not end it

  std::promise<void> registered;
  auto waited = std::async(std::launch::async, [&] {
    const std::uint64_t target = signal.enterWait();
    registered.set_value();
    signal.awaitVblank(target, 60s);
  });
  registered.get_future().wait();
  EXPECT_TRUE(signal.hasWaiter());
  EXPECT_EQ(waited.wait_for(50ms), std::future_status::timeout);
  EXPECT_TRUE(signal.markVblank());
  // The wait is over at once, whether or not the game thread has woken up yet.
  EXPECT_FALSE(signal.hasWaiter());
  EXPECT_EQ(waited.wait_for(10s), std::future_status::ready);
  EXPECT_FALSE(signal.hasWaiter());
  EXPECT_FALSE(signal.markVblank());
}

TEST(RetraceSignal, StoppingEndsEveryWait) {
  RetraceSignal signal;
  std::promise<void> registered;
  auto waited = std::async(std::launch::async, [&] {
    const std::uint64_t target = signal.enterWait();
    registered.set_value();
    signal.awaitVblank(target, 60s);
  });
  registered.get_future().wait();
  signal.stop();
  EXPECT_EQ(waited.wait_for(10s), std::future_status::ready);
  // Once stopped, a new wait does not block either.
  const std::uint64_t target = signal.enterWait();
  auto again = std::async(std::launch::async, [&] { signal.awaitVblank(target, 60s); });
  EXPECT_EQ(again.wait_for(10s), std::future_status::ready);
}

}  // namespace
}  // namespace kestal
