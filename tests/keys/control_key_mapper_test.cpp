// Gamepads and touch controls as key codes: which codes, and when a held control repeats.
#include "platform/controls/control_key_mapper.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/controls/standard_gamepad.h"
#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr int SPACE = ' ';
constexpr int RIGHT = extendedKey('M');
constexpr int UP = extendedKey('H');

ControlState holding(std::initializer_list<ControlButton> buttons) {
  ControlState state;
  for (ControlButton button : buttons) state.press(button);
  return state;
}

ControlState stick(float x, float y) {
  ControlState state;
  state.stickX = x;
  state.stickY = y;
  return state;
}

class Pad {
 public:
  std::vector<int> at(std::int64_t ms, const ControlState& state) {
    const KeyEvents events = mapper_.update(state, ms);
    return {events.entries.begin(), events.entries.begin() + events.count};
  }

 private:
  ControlKeyMapper mapper_;
};

using Keys = std::vector<int>;

TEST(ControlRepeat, AHeldControlRepeatsAfterTheFirstDelayAtASteadyRate) {
  Pad pad;
  const ControlState fire = holding({ControlButton::South});
  EXPECT_EQ(pad.at(1000, fire), Keys{SPACE});
  EXPECT_EQ(pad.at(1000 + FIRST_REPEAT_MS - 1, fire), Keys{});
  EXPECT_EQ(pad.at(1000 + FIRST_REPEAT_MS, fire), Keys{SPACE});
  EXPECT_EQ(pad.at(1000 + FIRST_REPEAT_MS + REPEAT_INTERVAL_MS - 1, fire), Keys{});
  EXPECT_EQ(pad.at(1000 + FIRST_REPEAT_MS + REPEAT_INTERVAL_MS, fire), Keys{SPACE});
  // Updates far apart give one repeat each, not a burst that catches up.
  EXPECT_EQ(pad.at(5000, fire), Keys{SPACE});
  EXPECT_EQ(pad.at(5000 + REPEAT_INTERVAL_MS - 1, fire), Keys{});
  // Let go and pressed again: at once, then the first delay again.
  EXPECT_EQ(pad.at(5100, ControlState{}), Keys{});
  EXPECT_EQ(pad.at(5200, fire), Keys{SPACE});
  EXPECT_EQ(pad.at(5200 + FIRST_REPEAT_MS - 1, fire), Keys{});
}

TEST(ControlRepeat, OnlyTheLatestHeldControlRepeats) {
  Pad pad;
  const ControlState right = stick(1, 0);
  ControlState rightAndFire = right;
  rightAndFire.press(ControlButton::South);
  EXPECT_EQ(pad.at(0, right), Keys{RIGHT});
  EXPECT_EQ(pad.at(600, right), Keys{RIGHT});
  EXPECT_EQ(pad.at(610, rightAndFire), Keys{SPACE});
  EXPECT_EQ(pad.at(700, rightAndFire), Keys{}) << "the fire button waits its first delay";
  // Fire let go: the stick held all along takes over at once.
  EXPECT_EQ(pad.at(720, right), Keys{RIGHT});
  EXPECT_EQ(pad.at(720 + REPEAT_INTERVAL_MS, right), Keys{RIGHT});

  // A pause in between: the stick stays quiet until it is pushed anew.
  ControlState rightAndStart = right;
  rightAndStart.press(ControlButton::Start);
  EXPECT_EQ(pad.at(800, rightAndStart), Keys{'p'});
  EXPECT_EQ(pad.at(2000, rightAndStart), Keys{});
  EXPECT_EQ(pad.at(2100, right), Keys{});
  EXPECT_EQ(pad.at(2200, ControlState{}), Keys{});
  EXPECT_EQ(pad.at(2300, right), Keys{RIGHT});
}

TEST(ControlSteering, TheStickSteersOutsideItsDeadZoneAndHoldsItsDirectionAtTheBorders) {
  Pad pad;
  EXPECT_EQ(pad.at(0, stick(STICK_DEAD_ZONE * 0.95f, 0)), Keys{});
  EXPECT_EQ(pad.at(10, stick(0, -STICK_DEAD_ZONE * 0.95f)), Keys{});
  EXPECT_EQ(pad.at(20, stick(STICK_DEAD_ZONE * 1.05f, 0)), Keys{RIGHT});
  // 28 degrees below the rightward line: past the halfway line to down-right (22.5), not
  // past the margin, so no new key.
  EXPECT_EQ(pad.at(30, stick(0.883f, 0.469f)), Keys{});
  // 32 degrees: down-right, a new press.
  EXPECT_EQ(pad.at(40, stick(0.848f, 0.530f)), Keys{'b'});
  // Back to 28 degrees: still down-right.
  EXPECT_EQ(pad.at(50, stick(0.883f, 0.469f)), Keys{});
  EXPECT_EQ(pad.at(60, stick(-0.7f, -0.7f)), Keys{'e'});
  EXPECT_EQ(pad.at(70, stick(-0.7f, 0.7f)), Keys{'c'});
  EXPECT_EQ(pad.at(80, stick(0.7f, -0.7f)), Keys{'t'});
  EXPECT_EQ(pad.at(90, stick(0, 1)), Keys{extendedKey('P')});
  EXPECT_EQ(pad.at(100, stick(-1, 0)), Keys{extendedKey('K')});
}

TEST(ControlSteering, TheDpadOverridesTheStickAndOppositeButtonsCancel) {
  Pad pad;
  ControlState upRight = holding({ControlButton::DpadUp, ControlButton::DpadRight});
  upRight.stickX = -1;
  EXPECT_EQ(pad.at(0, upRight), Keys{'t'});
  EXPECT_EQ(pad.at(10, holding({ControlButton::DpadUp})), Keys{UP});
  EXPECT_EQ(pad.at(20, holding({ControlButton::DpadUp, ControlButton::DpadDown})), Keys{});
  EXPECT_EQ(pad.at(30, holding({ControlButton::DpadLeft, ControlButton::DpadDown})), Keys{'c'});
}

TEST(ControlMapping, BackLeavesEverywhereAndButtonsPressedTogetherComeInAFixedOrder) {
  Pad pad;
  // Escape for the game, the prompts and the Delay; "q" for the final victory display.
  EXPECT_EQ(pad.at(0, holding({ControlButton::Back})), (Keys{27, 'q'}));
  EXPECT_EQ(pad.at(10, holding({ControlButton::Start, ControlButton::South})), (Keys{SPACE, 'p'}));
}

TEST(ControlMapping, TheBrowsersStandardLayoutCountsTriggersAsShouldersAndBadAxesAsCentred) {
  Pad pad;
  EXPECT_EQ(pad.at(0, standardGamepadState(1u << 7, 0, 0)), Keys{'='});
  EXPECT_EQ(pad.at(10, standardGamepadState(0, 0, -2)), Keys{UP});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(pad.at(20, standardGamepadState(1u << 0, nan, nan)), Keys{SPACE});
}

}  // namespace
}  // namespace kestal
