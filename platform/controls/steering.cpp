#include "platform/controls/steering.h"

#include <cmath>
#include <numbers>

namespace kestal {
namespace {

constexpr double DEGREES_PER_DIRECTION = 45.0;
constexpr int DIRECTIONS = 8;

double degreesOf(double x, double y) {
  return std::atan2(y, x) * 180.0 / std::numbers::pi;
}

// The direction whose 45-degree sector holds `degrees`.
Direction nearestDirection(double degrees) {
  const int sector = static_cast<int>(std::lround(degrees / DEGREES_PER_DIRECTION));
  return static_cast<Direction>(1 + (sector % DIRECTIONS + DIRECTIONS) % DIRECTIONS);
}

double centreDegrees(Direction direction) {
  return DEGREES_PER_DIRECTION * (static_cast<int>(direction) - 1);
}

// How far apart two angles are, 0..180 degrees.
double degreesApart(double a, double b) {
  const double apart = std::fmod(std::abs(a - b), 360.0);
  return apart > 180.0 ? 360.0 - apart : apart;
}

constexpr std::uint32_t DPAD_BUTTONS =
    ControlState::bit(ControlButton::DpadUp) | ControlState::bit(ControlButton::DpadDown) |
    ControlState::bit(ControlButton::DpadLeft) | ControlState::bit(ControlButton::DpadRight);

Direction dpadDirection(const ControlState& state) {
  // By row (up, level, down) and column (left, centre, right).
  constexpr Direction BY_STEPS[3][3] = {
      {Direction::UpLeft, Direction::Up, Direction::UpRight},
      {Direction::Left, Direction::None, Direction::Right},
      {Direction::DownLeft, Direction::Down, Direction::DownRight},
  };
  const int column = 1 + state.held(ControlButton::DpadRight) - state.held(ControlButton::DpadLeft);
  const int row = 1 + state.held(ControlButton::DpadDown) - state.held(ControlButton::DpadUp);
  return BY_STEPS[row][column];
}

Direction stickDirection(const ControlState& state, Direction current) {
  const double x = state.stickX;
  const double y = state.stickY;
  if (std::hypot(x, y) < STICK_DEAD_ZONE) return Direction::None;
  const double degrees = degreesOf(x, y);
  const double keepWithin = DEGREES_PER_DIRECTION / 2 + STICK_HYSTERESIS_DEGREES;
  if (current != Direction::None && degreesApart(degrees, centreDegrees(current)) <= keepWithin) {
    return current;
  }
  return nearestDirection(degrees);
}

}  // namespace

Direction steering(const ControlState& state, Direction current) {
  if ((state.buttons & DPAD_BUTTONS) != 0) return dpadDirection(state);
  return stickDirection(state, current);
}

}  // namespace kestal
