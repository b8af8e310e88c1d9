#include "platform/sdl/sdl_retrace.h"

#include <bit>

namespace kestal {

int refreshPeriodMs(int refreshRateHz) {
  return refreshRateHz > 1 ? 1000 / refreshRateHz : 16;
}

void VsyncDetector::addInterval(double milliseconds) {
  const bool fast = milliseconds < threshold_;
  recentFast_ = static_cast<std::uint8_t>((recentFast_ << 1) | (fast ? 1 : 0));
  if (samples_ < WINDOW) ++samples_;
  constexpr std::uint8_t CONFIRMING_MASK = (1u << CONFIRMING_SAMPLES) - 1;
  const bool verdictChanges =
      observed_ ? std::popcount(recentFast_) >= DISPROVING_FAST
                : samples_ >= CONFIRMING_SAMPLES && (recentFast_ & CONFIRMING_MASK) == 0;
  if (verdictChanges) {
    observed_ = !observed_;
    recentFast_ = 0;
    samples_ = 0;
  }
}

std::uint64_t RetraceSignal::enterWait() {
  std::lock_guard lock(mutex_);
  ++waiters_;
  awaited_ = count_ + 1;
  return awaited_;
}

void RetraceSignal::awaitVblank(std::uint64_t target, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  vblank_.wait_for(lock, timeout, [&] { return stopped_ || count_ >= target; });
  if (--waiters_ == 0) awaited_ = 0;
}

bool RetraceSignal::markVblank() {
  bool endsAWait = false;
  {
    std::lock_guard lock(mutex_);
    ++count_;
    endsAWait = awaited_ == count_;
  }
  vblank_.notify_all();
  return endsAWait;
}

bool RetraceSignal::hasWaiter() const {
  std::lock_guard lock(mutex_);
  return awaited_ > count_;
}

void RetraceSignal::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  vblank_.notify_all();
}

}  // namespace kestal
