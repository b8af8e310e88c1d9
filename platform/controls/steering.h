// Where the controls push the ship: one of eight directions or none, from the d-pad or the
// left stick.
#pragma once

#include <cstdint>

#include "platform/controls/control_state.h"

namespace kestal {

// Clockwise on the screen, starting at Right: direction d (other than None) points
// 45 * (d - 1) degrees below the rightward line.
enum class Direction : std::uint8_t {
  None,
  Right,
  DownRight,
  Down,
  DownLeft,
  Left,
  UpLeft,
  Up,
  UpRight,
};

// How far the stick must leave its centre (a fraction of full travel) before it steers:
// worn sticks rest a little off centre, and a thumb resting on one must not fly the ship.
inline constexpr float STICK_DEAD_ZONE = 0.3f;
// A stick near the line between two directions keeps the one it has until it is this many
// degrees past the line, so that it does not flicker between them (each change is a key).
inline constexpr double STICK_HYSTERESIS_DEGREES = 7.5;

// The d-pad when any of its buttons is held (opposite buttons cancel), otherwise the stick.
// `current` is the direction steered until now.
Direction steering(const ControlState& state, Direction current);

}  // namespace kestal
