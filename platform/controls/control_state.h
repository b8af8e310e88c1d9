// A gamepad as the game's control mapping sees it: the buttons of the common layout (four
// face buttons named by where they sit, two shoulders, Back, Start and the d-pad) and the
// left stick. Each back end fills one from its own devices; the page's touch controls
// pose as a gamepad too.
#pragma once

#include <cstdint>

namespace kestal {

enum class ControlButton : std::uint8_t {
  South,          // A on an Xbox pad, the cross on a PlayStation one
  East,           // B, circle
  West,           // X, square
  North,          // Y, triangle
  LeftShoulder,   // the bumper, or the trigger below it
  RightShoulder,  // likewise
  Back,           // Back, Select, Share, View, Minus
  Start,          // Start, Options, Menu, Plus
  DpadUp,
  DpadDown,
  DpadLeft,
  DpadRight,
};

struct ControlState {
  std::uint32_t buttons = 0;  // bit i: ControlButton i is held
  // The left stick, each axis -1..1, y growing downwards as on the screen.
  float stickX = 0;
  float stickY = 0;

  static constexpr std::uint32_t bit(ControlButton button) {
    return 1u << static_cast<unsigned>(button);
  }
  bool held(ControlButton button) const { return (buttons & bit(button)) != 0; }
  void press(ControlButton button) { buttons |= bit(button); }
};

}  // namespace kestal
