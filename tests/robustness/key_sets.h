// The keys the soaks and the fuzz target type, grouped by what the game makes of them, and
// the spelling of a key script line.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "screen/keyboard.h"
#include "replay/key_script.h"

namespace kestal::robustness {

inline constexpr int KEY_ENTER_ENTRY = 13;
inline constexpr int KEY_ESCAPE_ENTRY = 27;
inline constexpr int KEY_BACKSPACE_ENTRY = 8;
inline constexpr int KEY_TAB_ENTRY = 9;
inline constexpr int KEY_UP_ENTRY = extendedKey('H');
inline constexpr int KEY_DOWN_ENTRY = extendedKey('P');
inline constexpr int KEY_LEFT_ENTRY = extendedKey('K');
inline constexpr int KEY_RIGHT_ENTRY = extendedKey('M');

// Every key of play that does something, except the quit keys and the pause.
std::span<const int> playCommandKeys();
// Keys bound to nothing anywhere in play: other letters, capitals, digits, control
// characters, code page 437 bytes, the close code and extended keys.
std::span<const int> unboundKeys();
// All of the above plus the quit keys and "p": every key the soaks type.
std::span<const int> allKeys();

// The soaks' dice: one seeded generator, so a seed always gives the same script.
class Dice {
 public:
  explicit Dice(std::uint32_t seed) : engine_(seed) {}
  // 0 .. n-1
  int below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(double p) { return below(1000000) < p * 1000000; }
  int pick(std::span<const int> keys) {
    return keys[static_cast<std::size_t>(below(static_cast<int>(keys.size())))];
  }
  // A key of allKeys() for which `allowed` holds.
  template <typename Allowed>
  int pickAny(Allowed allowed) {
    for (;;) {
      const int key = pick(allKeys());
      if (allowed(key)) return key;
    }
  }

 private:
  std::mt19937 engine_;
};

// The events as a key script, spelled in every way a script may be: names, single
// characters, code:N, comments, blank lines, extra blanks and CR LF line ends.
std::string writeKeyScript(const std::vector<replay::KeyEvent>& events, Dice& dice);

// The fuzz target's reading of arbitrary bytes as keys: two bytes a key, how many retraces
// after the previous one (0 puts several keys into one frame) and the key, a character or,
// from 0xF0, one of sixteen extended keys (the arrows, the close code, function and editing
// keys).
std::vector<replay::KeyEvent> keyCodeStream(std::span<const std::uint8_t> bytes);

}  // namespace kestal::robustness
