// A key script played into the game's key queue, as the replay tool plays it: the events for
// retrace R enter right after the game's R-th wait for a retrace returns (those for 0 as
// soon as the queue exists), and a game that polls its empty queue without retraces (the
// pause) gets the next event at once after EMPTY_POLLS_BEFORE_NEXT_KEY polls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "replay/key_script.h"

namespace kestal::replay {

inline constexpr int EMPTY_POLLS_BEFORE_NEXT_KEY = 1000;

class KeyPlayback {
 public:
  // `deliver` puts one entry into the key queue.
  using Deliver = void (*)(int entry);

  KeyPlayback(std::vector<KeyEvent> events, Deliver deliver)
      : events_(std::move(events)), deliver_(deliver) {}

  // The key queue exists (retrace 0), or the game's wait for `retrace` has returned.
  void deliverUpTo(std::uint64_t retrace);
  // The game found its queue empty. False when it polls without retraces and the script has
  // no key left to give it: the game cannot go on.
  bool emptyPoll();

  bool keysLeft() const { return next_ < events_.size(); }

 private:
  std::vector<KeyEvent> events_;
  Deliver deliver_;
  std::size_t next_ = 0;
  int emptyPolls_ = 0;
};

}  // namespace kestal::replay
