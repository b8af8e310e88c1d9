// The key script: one `<retrace> <key>` event per line, in non-decreasing retrace order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestal::replay {

// Longer lines are refused: no real script needs them, and reading stays bounded.
inline constexpr std::size_t KEY_SCRIPT_MAX_LINE = 256;

struct KeyEvent {
  std::uint64_t retrace;  // 0: as soon as the key queue exists
  int entry;              // as the key queue stores it
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

struct KeyScript {
  std::vector<KeyEvent> events;
  // "line N: what is wrong", or what is wrong with the whole ("has N key events, ..."), to
  // follow "key file NAME "; empty when the script is good.
  std::string error;
};

struct KeyEntry {
  int entry = 0;
  std::string error;  // empty when `entry` holds the key
};

// A key field: one printable character other than the blank, a key name, or code:N.
KeyEntry parseKeyName(std::string_view name);
// The key field parseKeyName reads back as `entry` (a queue entry): the character itself,
// a name, or code:N.
std::string keyName(int entry);

KeyScript parseKeyScript(std::istream& in);

}  // namespace kestal::replay
