#include "platform/sdl/sdl_watch.h"

#include "screen/keyboard.h"

namespace kestal {

namespace {
constexpr int ESCAPE = 27;
constexpr int SPACE = ' ';
}  // namespace

void WatchControls::press(int entry) {
  {
    std::lock_guard lock(mutex_);
    if (entry == SPACE) {
      paused_ = !paused_;
    } else if (entry == '1' || entry == '2' || entry == '4' || entry == '8') {
      speed_ = entry - '0';
    } else if (entry == ESCAPE || entry == CLOSE_KEY) {
      leaving_ = true;
    } else {
      return;
    }
  }
  changed_.notify_all();
}

WatchControls::Retrace WatchControls::atRetrace() {
  std::unique_lock lock(mutex_);
  holdWhilePaused(lock);
  if (leaving_) return Retrace::Leave;
  if (++retracesSinceBlank_ < speed_) return Retrace::GoOn;
  retracesSinceBlank_ = 0;
  return Retrace::AwaitBlank;
}

bool WatchControls::atEmptyPoll() {
  std::unique_lock lock(mutex_);
  holdWhilePaused(lock);
  return !leaving_;
}

void WatchControls::holdWhilePaused(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !paused_ || leaving_; });
}

}  // namespace kestal
