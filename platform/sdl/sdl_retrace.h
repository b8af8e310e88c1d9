// The vertical blank as the presenting thread sees it, and the game thread's wait for it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kestal {

// The sleep that stands in for a vertical blank that cannot be observed: 1000 / r ms,
// or 16 ms when the display reports no rate (0 or 1).
int refreshPeriodMs(int refreshRateHz);

// Whether presenting waits for the vertical blank, judged from the measured time between
// presents issued back to back. The renderer's flag alone is not believed: virtual
// displays claim vsync and return at once, and a hidden window may stop waiting.
class VsyncDetector {
 public:
  static constexpr int CONFIRMING_SAMPLES = 3;  // slow intervals in a row that prove it
  static constexpr int WINDOW = 8;              // recent intervals weighed to disprove it
  static constexpr int DISPROVING_FAST = 6;     // fast ones among them that disprove it

  // An interval shorter than half the expected refresh period did not wait.
  explicit VsyncDetector(int periodMs) : threshold_(periodMs / 2.0) {}

  void addInterval(double milliseconds);
  bool observed() const { return observed_; }

 private:
  double threshold_;
  std::uint8_t recentFast_ = 0;  // bit i: the i-th most recent interval was fast
  int samples_ = 0;
  bool observed_ = false;
};

// Vertical blanks counted by the presenting thread and awaited by the game thread.
class RetraceSignal {
 public:
  // Game thread: announces a wait for the vertical blank after this call and returns the
  // count to wait for. The presenter sees the waiter at once (hasWaiter).
  std::uint64_t enterWait();
  // Game thread: blocks until that vertical blank, the timeout, or stop().
  void awaitVblank(std::uint64_t target, std::chrono::milliseconds timeout);

  // Presenting thread: a vertical blank has begun. Returns whether a wait was for it.
  bool markVblank();
  // Whether the game waits for a vertical blank still to come (one that has just ended its
  // wait does not count, even before the game thread has woken up).
  bool hasWaiter() const;
  // No more vertical blanks will come (the window is gone): ends every wait at once.
  void stop();

 private:
  mutable std::mutex mutex_;
  std::condition_variable vblank_;
  std::uint64_t count_ = 0;
  std::uint64_t awaited_ = 0;  // the latest vertical blank waited for, 0 when none
  int waiters_ = 0;
  bool stopped_ = false;
};

}  // namespace kestal
