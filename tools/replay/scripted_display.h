// The display a replay runs on, as the replay sees it: every call goes on to the back end
// that really shows the game (headless, or a window), and the replay hears, on the game's
// thread, of the screen's opening, of each retrace once its wait is over and of each poll
// that found no key. So the script is fed and the run recorded alike on either.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "screen/display_backend.h"

namespace kestal::replay {

class ScriptedDisplay final : public DisplayBackend {
 public:
  struct Hooks {
    std::function<void()> onOpen;                          // retrace 0
    std::function<void(std::uint64_t retrace)> onRetrace;  // counted from 1
    std::function<void()> onEmptyPoll;
  };

  ScriptedDisplay(DisplayBackend& shown, Hooks hooks) : shown_(shown), hooks_(std::move(hooks)) {}

  int run(const std::function<void()>& game) override {
    retraces_ = 0;
    return shown_.run(game);
  }
  void open() override {
    shown_.open();
    hooks_.onOpen();
  }
  void waitRetrace() override {
    shown_.waitRetrace();
    hooks_.onRetrace(++retraces_);
  }
  void setPointer(int x, int y, int visible) override { shown_.setPointer(x, y, visible); }
  void beep() override { shown_.beep(); }
  void emptyPoll() override {
    shown_.emptyPoll();
    hooks_.onEmptyPoll();
  }
  bool keepsPictures() const override { return shown_.keepsPictures(); }
  void close() override { shown_.close(); }

 private:
  DisplayBackend& shown_;
  Hooks hooks_;
  std::uint64_t retraces_ = 0;
};

}  // namespace kestal::replay
