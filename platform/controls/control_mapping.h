// What each control means to the game: the key codes a keyboard player would type for the
// same command. Every back end goes through this one table, so a gamepad, the page's touch
// controls and the keyboard give the game the same codes.
//
//   d-pad or left stick  thrust in eight directions (arrows; e, t, b, c diagonally)
//   South (A)            laser (Space)             East (B)        brake (f)
//   West (X)             shields (Enter), which also accepts the Delay
//   North (Y)            "y" at "Play again? (Y/N)"
//   Right shoulder       cool engines (=)          Left shoulder   next level (Backspace)
//   Start                pause ("p"; any control resumes)
//   Back                 leave: Escape, then "q" (see control_mapping.cpp)
#pragma once

#include <array>

#include "platform/controls/control_state.h"
#include "platform/controls/steering.h"

namespace kestal {

struct ControlKeys {
  std::array<int, 2> entries{-1, -1};  // key queue entries in order; -1 for none
  // Held, the control repeats its keys like a held key: the flying commands do; those that
  // change what the game is doing (pause, leave, next level, yes) give one press each.
  bool repeats = false;

  bool any() const { return entries[0] >= 0; }
  friend bool operator==(const ControlKeys&, const ControlKeys&) = default;
};

// A thrust direction's key; none for Direction::None.
ControlKeys directionKeys(Direction direction);
// A button's keys; none for the d-pad's buttons, which steer instead.
ControlKeys buttonKeys(ControlButton button);

}  // namespace kestal
