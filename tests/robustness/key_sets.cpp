#include "tests/robustness/key_sets.h"

#include <array>
#include <string_view>

namespace kestal::robustness {
namespace {

constexpr std::array PLAY_COMMAND_KEYS{
    KEY_UP_ENTRY,    KEY_DOWN_ENTRY, KEY_LEFT_ENTRY, KEY_RIGHT_ENTRY, int{'d'},
    int{'e'},        int{'r'},       int{'t'},       int{'g'},        int{'b'},
    int{'v'},        int{'c'},       int{'f'},       int{' '},        int{'j'},
    KEY_ENTER_ENTRY, int{'k'},       int{'='},       int{'h'},        KEY_BACKSPACE_ENTRY,
    int{'l'},
};

constexpr std::array UNBOUND_KEYS{
    int{'a'},
    int{'i'},
    int{'m'},
    int{'n'},
    int{'o'},
    int{'s'},
    int{'u'},
    int{'w'},
    int{'x'},
    int{'y'},
    int{'z'},
    int{'A'},
    int{'D'},
    int{'E'},
    int{'F'},
    int{'G'},
    int{'J'},
    int{'K'},
    int{'L'},
    int{'N'},
    int{'P'},
    int{'Q'},
    int{'R'},
    int{'T'},
    int{'V'},
    int{'Y'},
    int{'0'},
    int{'5'},
    int{'9'},
    int{'-'},
    int{'+'},
    int{'!'},
    int{'#'},
    int{'~'},
    KEY_TAB_ENTRY,
    0,
    1,
    26,
    127,
    128,
    224,
    255,
    CLOSE_KEY,
    extendedKey(59),   // F1
    extendedKey(68),   // F10
    extendedKey(84),   // Shift+F1
    extendedKey(134),  // F12
    extendedKey(71),   // Home
    extendedKey(79),   // End
    extendedKey(73),   // Page Up
    extendedKey(81),   // Page Down
    extendedKey(82),   // Insert
    extendedKey(83),   // Delete
    extendedKey(141),  // Ctrl+Up
    extendedKey(155),  // Alt+Left
    extendedKey(16),   // Alt+Q
};

constexpr std::array QUIT_AND_PAUSE_KEYS{KEY_ESCAPE_ENTRY, int{'q'}, int{'p'}};

constexpr auto ALL_KEYS = [] {
  std::array<int, PLAY_COMMAND_KEYS.size() + UNBOUND_KEYS.size() + QUIT_AND_PAUSE_KEYS.size()>
      all{};
  std::size_t n = 0;
  for (int key : PLAY_COMMAND_KEYS) all[n++] = key;
  for (int key : UNBOUND_KEYS) all[n++] = key;
  for (int key : QUIT_AND_PAUSE_KEYS) all[n++] = key;
  return all;
}();

std::string_view nameOf(int entry) {
  switch (entry) {
    case KEY_ENTER_ENTRY:
      return "Enter";
    case KEY_ESCAPE_ENTRY:
      return "Escape";
    case KEY_BACKSPACE_ENTRY:
      return "Backspace";
    case KEY_TAB_ENTRY:
      return "Tab";
    case ' ':
      return "Space";
    case KEY_UP_ENTRY:
      return "Up";
    case KEY_DOWN_ENTRY:
      return "Down";
    case KEY_LEFT_ENTRY:
      return "Left";
    case KEY_RIGHT_ENTRY:
      return "Right";
    case CLOSE_KEY:
      return "Close";
    default:
      return {};
  }
}

std::string spelling(int entry, Dice& dice) {
  const bool printable = entry >= 33 && entry <= 126;
  const std::string_view name = nameOf(entry);
  if ((!printable && name.empty()) || dice.chance(0.15)) return "code:" + std::to_string(entry);
  if (printable) return std::string(1, static_cast<char>(entry));
  return std::string(name);
}

std::string blanks(Dice& dice) {
  static constexpr std::array<std::string_view, 4> BLANKS{" ", "  ", "\t", " \t "};
  return std::string(BLANKS[static_cast<std::size_t>(dice.below(BLANKS.size()))]);
}

}  // namespace

std::span<const int> playCommandKeys() {
  return PLAY_COMMAND_KEYS;
}

std::span<const int> unboundKeys() {
  return UNBOUND_KEYS;
}

std::span<const int> allKeys() {
  return ALL_KEYS;
}

std::string writeKeyScript(const std::vector<replay::KeyEvent>& events, Dice& dice) {
  std::string script = "# soak script\n";
  for (const replay::KeyEvent& event : events) {
    if (dice.chance(0.03)) script += "# a comment, then a blank line\n\n";
    const bool padded = dice.chance(0.1);
    if (padded) script += blanks(dice);
    script += std::to_string(event.retrace);
    script += padded ? blanks(dice) : " ";
    script += spelling(event.entry, dice);
    if (padded) script += blanks(dice);
    script += dice.chance(0.1) ? "\r\n" : "\n";
  }
  return script;
}

std::vector<replay::KeyEvent> keyCodeStream(std::span<const std::uint8_t> bytes) {
  static constexpr int EXTENDED[16] = {'H', 'P', 'K', 'M', 'k', 59,  68,  71,
                                       79,  73,  81,  82,  83,  141, 155, 16};
  std::vector<replay::KeyEvent> events;
  std::uint64_t retrace = 1;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    retrace += bytes[i] % 16;
    const std::uint8_t key = bytes[i + 1];
    events.push_back({retrace, key >= 0xF0 ? extendedKey(EXTENDED[key - 0xF0]) : key});
  }
  return events;
}

}  // namespace kestal::robustness
