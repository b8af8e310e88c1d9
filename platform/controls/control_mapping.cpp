#include "platform/controls/control_mapping.h"

#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr int ENTER = 13;
constexpr int ESCAPE = 27;
constexpr int BACKSPACE = 8;

constexpr ControlKeys repeating(int entry) {
  return {{entry, -1}, true};
}
constexpr ControlKeys once(int entry, int then = -1) {
  return {{entry, then}, false};
}

// By ControlButton, South to Start.
constexpr ControlKeys BUTTON_KEYS[] = {
    repeating(' '),
    repeating('f'),
    repeating(ENTER),
    once('y'),
    once(BACKSPACE),
    repeating('='),
    // Escape ends a game, ends the program at the Delay prompt and answers "no" to "Play
    // again?"; only "q" ends the final victory display, and Escape there is ignored. Where
    // Escape acts the "q" after it falls on a prompt that ignores it; in a pause Escape
    // resumes and the "q" then ends the game.
    once(ESCAPE, 'q'),
    once('p'),
};

// By Direction, Right clockwise to UpRight: the arrows where there is one, else the
// letters of the keyboard's flying block.
constexpr int DIRECTION_KEYS[] = {
    extendedKey('M'), 'b', extendedKey('P'), 'c', extendedKey('K'), 'e', extendedKey('H'), 't',
};

}  // namespace

ControlKeys directionKeys(Direction direction) {
  if (direction == Direction::None) return {};
  return repeating(DIRECTION_KEYS[static_cast<int>(direction) - 1]);
}

ControlKeys buttonKeys(ControlButton button) {
  const auto index = static_cast<std::size_t>(button);
  if (index >= std::size(BUTTON_KEYS)) return {};
  return BUTTON_KEYS[index];
}

}  // namespace kestal
