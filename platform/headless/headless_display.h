// A display back end with no display: pages stay in memory, waitRetrace returns at once,
// and hooks let a tool or test see every retrace and put keys in at chosen moments.
#pragma once

#include <cstdint>
#include <functional>

#include "screen/display_backend.h"

namespace kestal {

class HeadlessDisplay final : public DisplayBackend {
 public:
  struct Hooks {
    // After openScreen has created the key queue (retrace 0).
    std::function<void()> onOpen;
    // Inside waitRetrace, before it returns; `retrace` counts from 1. The visible page and
    // palette are what the display shows at this vertical blank.
    std::function<void(std::uint64_t retrace)> onRetrace;
    // readKey found the queue empty.
    std::function<void()> onEmptyPoll;
  };

  // Pictures::Skipped serves runs that need only the game's state: the screen then draws
  // nothing (see picturesKept in screen.h).
  enum class Pictures { Kept, Skipped };

  HeadlessDisplay() = default;
  explicit HeadlessDisplay(Hooks hooks, Pictures pictures = Pictures::Kept)
      : hooks_(std::move(hooks)), pictures_(pictures) {}

  // Runs `game` on the calling thread; resets the random generator first so each run
  // starts like a fresh program. Returns exitProgram's code, or 0 if `game` returns.
  int run(const std::function<void()>& game) override;
  void open() override;
  void waitRetrace() override;
  void setPointer(int, int, int) override {}
  void beep() override {}
  void emptyPoll() override;
  bool keepsPictures() const override { return pictures_ == Pictures::Kept; }
  void close() override {}

  std::uint64_t retraces() const { return retraces_; }

 private:
  Hooks hooks_;
  Pictures pictures_ = Pictures::Kept;
  std::uint64_t retraces_ = 0;
};

}  // namespace kestal
