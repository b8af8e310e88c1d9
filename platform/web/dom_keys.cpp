#include "platform/web/dom_keys.h"

#include <utility>

#include "platform/keys/cp437.h"
#include "platform/keys/key_down.h"

namespace kestal {
namespace {

constexpr std::pair<std::string_view, PcKey> NAMED_CODES[] = {
    {"Minus", PcKey::Minus},
    {"Equal", PcKey::Equals},
    {"BracketLeft", PcKey::LeftBracket},
    {"BracketRight", PcKey::RightBracket},
    {"Backslash", PcKey::Backslash},
    {"Semicolon", PcKey::Semicolon},
    {"Quote", PcKey::Apostrophe},
    {"Backquote", PcKey::Grave},
    {"Comma", PcKey::Comma},
    {"Period", PcKey::Period},
    {"Slash", PcKey::Slash},
    {"Escape", PcKey::Escape},
    {"Backspace", PcKey::Backspace},
    {"Tab", PcKey::Tab},
    {"Enter", PcKey::Enter},
    {"Space", PcKey::Space},
    {"ArrowUp", PcKey::Up},
    {"ArrowDown", PcKey::Down},
    {"ArrowLeft", PcKey::Left},
    {"ArrowRight", PcKey::Right},
    {"Home", PcKey::Home},
    {"End", PcKey::End},
    {"PageUp", PcKey::PageUp},
    {"PageDown", PcKey::PageDown},
    {"Insert", PcKey::Insert},
    {"Delete", PcKey::Delete},
    {"NumpadDecimal", PcKey::KeypadPoint},
    {"NumpadDivide", PcKey::KeypadDivide},
    {"NumpadMultiply", PcKey::KeypadMultiply},
    {"NumpadSubtract", PcKey::KeypadMinus},
    {"NumpadAdd", PcKey::KeypadPlus},
    {"NumpadEnter", PcKey::KeypadEnter},
};

// The number after `prefix` in a code such as "F12" or "Digit7", or -1.
int numberAfter(std::string_view code, std::string_view prefix) {
  if (!code.starts_with(prefix) || code.size() == prefix.size()) return -1;
  int number = 0;
  for (const char c : code.substr(prefix.size())) {
    if (c < '0' || c > '9' || number > 99) return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

// The digit row and the keypad run 1 to 9, then 0.
PcKey digitKey(PcKey one, int digit) {
  return pcKeyAfter(one, digit == 0 ? 9 : digit - 1);
}

// A key that types gives its character as `key`; names of other keys are ASCII words.
bool typesACharacter(std::string_view key) {
  return key.size() == 1 || (!key.empty() && static_cast<unsigned char>(key[0]) >= 0x80);
}

// What the key types on its own, as far as the table needs it: the letter in lower case
// (Shift and Caps Lock give the capital), ASCII punctuation as it is.
char32_t layoutSymbol(std::string_view key) {
  if (key.size() != 1) return 0;
  const char c = key[0];
  return static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

void addCharacters(std::string_view key, KeyEvents& events) {
  const auto text = cp437FromUtf8(key);
  for (std::size_t i = 0; i < text.size; ++i) events.add(text.bytes[i]);
}

// Keys a player wants for the game and never for the browser: unmodified, they would only
// scroll, move the focus or go back a page. Everything else keeps its browser meaning
// (reload, tabs, history, zoom, full screen, developer tools).
bool playKey(PcKey key) {
  switch (key) {
    case PcKey::Up:
    case PcKey::Down:
    case PcKey::Left:
    case PcKey::Right:
    case PcKey::Space:
    case PcKey::Enter:
    case PcKey::Backspace:
    case PcKey::Tab:
    case PcKey::Escape:
    case PcKey::Home:
    case PcKey::End:
    case PcKey::PageUp:
    case PcKey::PageDown:
      return true;
    default:
      return pcKeyWithin(key, PcKey::Keypad1, PcKey::KeypadEnter);
  }
}

// Whether the page keeps the key from the browser: typed characters and play keys without
// Ctrl, Alt or Meta, and Alt+Enter, which the page itself answers with full screen.
bool keepFromBrowser(const DomKeyDown& keyDown, PcKey key, bool typedWithAltGraph,
                     bool togglesFullScreen) {
  if (typedWithAltGraph || togglesFullScreen) return true;
  if (keyDown.ctrl || keyDown.alt || keyDown.altGraph || keyDown.meta) return false;
  return playKey(key) || typesACharacter(keyDown.key);
}

}  // namespace

PcKey pcKeyOfDomCode(std::string_view code) {
  if (code.size() == 4 && code.starts_with("Key") && code[3] >= 'A' && code[3] <= 'Z') {
    return pcKeyAfter(PcKey::A, code[3] - 'A');
  }
  if (const int digit = numberAfter(code, "Digit"); digit >= 0 && digit <= 9) {
    return digitKey(PcKey::Digit1, digit);
  }
  if (const int digit = numberAfter(code, "Numpad"); digit >= 0 && digit <= 9) {
    return digitKey(PcKey::Keypad1, digit);
  }
  if (const int number = numberAfter(code, "F"); number >= 1 && number <= 12) {
    return pcKeyAfter(PcKey::F1, number - 1);
  }
  for (const auto& [name, key] : NAMED_CODES) {
    if (name == code) return key;
  }
  return PcKey::Other;
}

DomKeyResult translateDomKeyDown(const DomKeyDown& keyDown) {
  const PcKey key = pcKeyOfDomCode(keyDown.code);
  const bool types = typesACharacter(keyDown.key);
  DomKeyResult result;
  // The browser has already told AltGr from Alt: a key typing with AltGr types that. (A
  // Windows browser reports AltGr as Ctrl+Alt as well.)
  const bool typedWithAltGraph = keyDown.altGraph && types;
  bool togglesFullScreen = false;
  if (typedWithAltGraph) {
    addCharacters(keyDown.key, result.events);
  } else {
    // AltGr typing nothing is the Right Alt key of a PC.
    const KeyModifiers modifiers{.shift = keyDown.shift,
                                 .ctrl = keyDown.ctrl,
                                 .alt = keyDown.alt || keyDown.altGraph,
                                 .rightAltOnly = false,
                                 .numLock = keyDown.numLock};
    const KeyDownMeaning meaning = translateKeyDown(key, layoutSymbol(keyDown.key), modifiers);
    if (meaning.entry >= 0) {
      result.events.add(meaning.entry);
    } else if (!meaning.swallowsText && types) {
      addCharacters(keyDown.key, result.events);
    }
    togglesFullScreen = meaning.toggleFullScreen;
    // Holding Alt+Enter must not flicker between full screen and window.
    result.events.toggleFullScreen = togglesFullScreen && !keyDown.repeat;
  }
  result.preventDefault = keepFromBrowser(keyDown, key, typedWithAltGraph, togglesFullScreen);
  return result;
}

}  // namespace kestal
