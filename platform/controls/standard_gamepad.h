// The browser's gamepads in the Gamepad API's "standard" layout, which the page's touch
// controls use as well: button i of Gamepad.buttons is bit i of `pressed` (A, B, X, Y, the
// bumpers, the triggers, Back, Start, the two stick clicks, then the d-pad up, down, left,
// right), and axes 0 and 1 are the left stick.
#pragma once

#include <cstdint>

#include "platform/controls/control_state.h"

namespace kestal {

ControlState standardGamepadState(std::uint32_t pressed, double stickX, double stickY);

}  // namespace kestal
