#include "platform/controls/standard_gamepad.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestal {
namespace {

// Standard button index and the control it is; the stick clicks and the Home button have
// no command.
constexpr std::pair<int, ControlButton> STANDARD_BUTTONS[] = {
    {0, ControlButton::South},        {1, ControlButton::East},
    {2, ControlButton::West},         {3, ControlButton::North},
    {4, ControlButton::LeftShoulder}, {5, ControlButton::RightShoulder},
    {6, ControlButton::LeftShoulder}, {7, ControlButton::RightShoulder},
    {8, ControlButton::Back},         {9, ControlButton::Start},
    {12, ControlButton::DpadUp},      {13, ControlButton::DpadDown},
    {14, ControlButton::DpadLeft},    {15, ControlButton::DpadRight},
};

// The page hands over what the browser reports; anything but a number is a centred stick.
float axis(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<float>(std::clamp(value, -1.0, 1.0));
}

}  // namespace

ControlState standardGamepadState(std::uint32_t pressed, double stickX, double stickY) {
  ControlState state;
  for (const auto& [index, button] : STANDARD_BUTTONS) {
    if ((pressed >> index) & 1u) state.press(button);
  }
  state.stickX = axis(stickX);
  state.stickY = axis(stickY);
  return state;
}

}  // namespace kestal
