// What one keyboard or window event gives the game: key queue entries in order, and
// whether the player asked to switch between full screen and a window.
#pragma once

#include <array>
#include <cstddef>
#include <functional>

#include "platform/keys/cp437.h"

namespace kestal {

struct KeyEvents {
  std::array<int, TYPED_TEXT_CAPACITY> entries{};
  std::size_t count = 0;
  bool toggleFullScreen = false;

  void add(int entry) {
    if (count < entries.size()) entries[count++] = entry;
  }
};

// Where a back end hands the entries it gathered: the key queue (pushKey) while a person
// plays, or whoever steers the showing of a recorded game.
using KeySink = std::function<void(int entry)>;

}  // namespace kestal
