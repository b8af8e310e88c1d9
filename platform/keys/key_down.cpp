#include "platform/keys/key_down.h"

#include <optional>
#include <utility>

#include "screen/keyboard.h"

namespace kestal {
namespace {

enum class Modifier { None, Shift, Ctrl, Alt };

// Alt over Ctrl over Shift, as the BIOS reads the shift state.
Modifier dominantModifier(KeyModifiers modifiers) {
  if (modifiers.alt) return Modifier::Alt;
  if (modifiers.ctrl) return Modifier::Ctrl;
  if (modifiers.shift) return Modifier::Shift;
  return Modifier::None;
}

// Extended codes k of a key without a character, by modifier; 0 means none.
struct ExtendedRow {
  PcKey key;
  int plain, shift, ctrl, alt;

  int forModifier(Modifier modifier) const {
    switch (modifier) {
      case Modifier::Alt:
        return alt;
      case Modifier::Ctrl:
        return ctrl;
      case Modifier::Shift:
        return shift;
      case Modifier::None:
        break;
    }
    return plain;
  }
};

constexpr ExtendedRow EDITING_KEYS[] = {
    {PcKey::Up, 72, 72, 141, 152},     {PcKey::Down, 80, 80, 145, 160},
    {PcKey::Left, 75, 75, 115, 155},   {PcKey::Right, 77, 77, 116, 157},
    {PcKey::Home, 71, 71, 119, 151},   {PcKey::End, 79, 79, 117, 159},
    {PcKey::PageUp, 73, 73, 132, 153}, {PcKey::PageDown, 81, 81, 118, 161},
    {PcKey::Insert, 82, 82, 146, 162}, {PcKey::Delete, 83, 83, 147, 163},
    {PcKey::F11, 133, 135, 137, 139},  {PcKey::F12, 134, 136, 138, 140},
};

// The keypad's second meaning with Num Lock off; 5 has none.
constexpr std::pair<PcKey, PcKey> KEYPAD_EDITING[] = {
    {PcKey::Keypad8, PcKey::Up},     {PcKey::Keypad2, PcKey::Down},
    {PcKey::Keypad4, PcKey::Left},   {PcKey::Keypad6, PcKey::Right},
    {PcKey::Keypad7, PcKey::Home},   {PcKey::Keypad1, PcKey::End},
    {PcKey::Keypad9, PcKey::PageUp}, {PcKey::Keypad3, PcKey::PageDown},
    {PcKey::Keypad0, PcKey::Insert}, {PcKey::KeypadPoint, PcKey::Delete},
};

// Alt with a key that types: the BIOS scan code of that key.
struct AltCode {
  PcKey key;
  int code;
};
constexpr AltCode ALT_CODES[] = {
    {PcKey::Q, 16},
    {PcKey::W, 17},
    {PcKey::E, 18},
    {PcKey::R, 19},
    {PcKey::T, 20},
    {PcKey::Y, 21},
    {PcKey::U, 22},
    {PcKey::I, 23},
    {PcKey::O, 24},
    {PcKey::P, 25},
    {PcKey::LeftBracket, 26},
    {PcKey::RightBracket, 27},
    {PcKey::A, 30},
    {PcKey::S, 31},
    {PcKey::D, 32},
    {PcKey::F, 33},
    {PcKey::G, 34},
    {PcKey::H, 35},
    {PcKey::J, 36},
    {PcKey::K, 37},
    {PcKey::L, 38},
    {PcKey::Semicolon, 39},
    {PcKey::Apostrophe, 40},
    {PcKey::Grave, 41},
    {PcKey::Backslash, 43},
    {PcKey::Z, 44},
    {PcKey::X, 45},
    {PcKey::C, 46},
    {PcKey::V, 47},
    {PcKey::B, 48},
    {PcKey::N, 49},
    {PcKey::M, 50},
    {PcKey::Comma, 51},
    {PcKey::Period, 52},
    {PcKey::Slash, 53},
    {PcKey::Digit1, 120},
    {PcKey::Digit2, 121},
    {PcKey::Digit3, 122},
    {PcKey::Digit4, 123},
    {PcKey::Digit5, 124},
    {PcKey::Digit6, 125},
    {PcKey::Digit7, 126},
    {PcKey::Digit8, 127},
    {PcKey::Digit9, 128},
    {PcKey::Digit0, 129},
    {PcKey::Minus, 130},
    {PcKey::Equals, 131},
    {PcKey::Escape, 1},
    {PcKey::Backspace, 14},
    {PcKey::Tab, 165},
    {PcKey::KeypadDivide, 164},
    {PcKey::KeypadMultiply, 55},
    {PcKey::KeypadMinus, 74},
    {PcKey::KeypadPlus, 78},
};

constexpr AltCode CTRL_KEYPAD_CODES[] = {
    {PcKey::KeypadDivide, 149},
    {PcKey::KeypadMultiply, 150},
    {PcKey::KeypadMinus, 142},
    {PcKey::KeypadPlus, 144},
};

// Keys whose character the platforms do not send as text: Enter, Escape, Backspace, Tab.
struct ControlCharacter {
  PcKey key;
  int plain, ctrl;
};
constexpr ControlCharacter CONTROL_CHARACTERS[] = {
    {PcKey::Enter, 13, 10},     {PcKey::KeypadEnter, 13, 10}, {PcKey::Escape, 27, 27},
    {PcKey::Backspace, 8, 127}, {PcKey::Tab, 9, 9},
};

template <typename Row, std::size_t N>
const Row* findByKey(const Row (&table)[N], PcKey key) {
  for (const Row& row : table) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

const ExtendedRow* editingRow(PcKey key) {
  return findByKey(EDITING_KEYS, key);
}

KeyDownMeaning extended(int k) {
  return {extendedKey(k), true, false};
}
KeyDownMeaning character(int c) {
  return {c, true, false};
}
KeyDownMeaning nothingAndNoText() {
  return {-1, true, false};
}

bool isFunctionKey(PcKey key) {
  return pcKeyWithin(key, PcKey::F1, PcKey::F10);
}

KeyDownMeaning functionKey(PcKey key, Modifier modifier) {
  const int index = static_cast<int>(key) - static_cast<int>(PcKey::F1);  // F1 is 0
  constexpr int FIRST[] = {59, 84, 94, 104};                              // plain, Shift, Ctrl, Alt
  return extended(FIRST[static_cast<int>(modifier)] + index);
}

// A keypad key that acts as an editing key: Num Lock off and Shift not inverting it.
std::optional<PcKey> keypadEditingKey(PcKey key, KeyModifiers modifiers) {
  if (modifiers.numLock || modifiers.shift) return std::nullopt;
  for (const auto& [keypad, editing] : KEYPAD_EDITING) {
    if (keypad == key) return editing;
  }
  return std::nullopt;
}

bool isKeypadDigitOrPoint(PcKey key) {
  return pcKeyWithin(key, PcKey::Keypad1, PcKey::KeypadPoint);
}

bool isLetter(PcKey key) {
  return pcKeyWithin(key, PcKey::A, PcKey::Z);
}

// The letter a key stands for under Ctrl: the layout's letter, else the key's position.
int ctrlLetter(PcKey key, char32_t symbol) {
  if (symbol >= U'a' && symbol <= U'z') return static_cast<int>(symbol - U'a') + 1;
  if (isLetter(key)) return static_cast<int>(key) - static_cast<int>(PcKey::A) + 1;
  return -1;
}

// Letters, digits and punctuation: the keys AltGr gives other characters.
bool isTypingKey(PcKey key) {
  return pcKeyWithin(key, PcKey::A, PcKey::Slash);
}

KeyDownMeaning withAlt(PcKey key, KeyModifiers modifiers) {
  if (key == PcKey::Enter || key == PcKey::KeypadEnter) return {-1, true, true};
  if (const ExtendedRow* row = editingRow(key)) return extended(row->alt);
  if (isFunctionKey(key)) return functionKey(key, Modifier::Alt);
  if (const AltCode* alt = findByKey(ALT_CODES, key)) {
    KeyDownMeaning meaning = extended(alt->code);
    meaning.mayBeAltGr = modifiers.rightAltOnly && !modifiers.ctrl && isTypingKey(key);
    return meaning;
  }
  return nothingAndNoText();  // keypad digits (Alt+number composing), space, modifiers
}

KeyDownMeaning withCtrl(PcKey key, char32_t symbol) {
  if (const ControlCharacter* c = findByKey(CONTROL_CHARACTERS, key)) return character(c->ctrl);
  if (const AltCode* keypad = findByKey(CTRL_KEYPAD_CODES, key)) return extended(keypad->code);
  switch (symbol) {
    case U' ':
      return character(' ');
    case U'[':
      return character(27);
    case U'\\':
      return character(28);
    case U']':
      return character(29);
    default:
      break;
  }
  const int letter = ctrlLetter(key, symbol);
  if (letter > 0) return character(letter);
  return nothingAndNoText();
}

}  // namespace

KeyDownMeaning translateKeyDown(PcKey key, char32_t symbol, KeyModifiers modifiers) {
  const Modifier modifier = dominantModifier(modifiers);
  PcKey acting = key;
  if (isKeypadDigitOrPoint(key)) {
    const std::optional<PcKey> editing = keypadEditingKey(key, modifiers);
    // Alt with the keypad composes character numbers on a PC: no code of its own.
    if (modifier == Modifier::Alt) return nothingAndNoText();
    if (!editing) {
      if (modifier == Modifier::Ctrl) return nothingAndNoText();
      return {};  // a digit or the point, arriving as text
    }
    acting = *editing;
  }
  if (const ExtendedRow* row = editingRow(acting)) return extended(row->forModifier(modifier));
  if (isFunctionKey(acting)) return functionKey(acting, modifier);
  if (modifier == Modifier::Alt) return withAlt(key, modifiers);
  if (modifier == Modifier::Ctrl) return withCtrl(key, symbol);
  if (const ControlCharacter* c = findByKey(CONTROL_CHARACTERS, key)) return character(c->plain);
  return {};  // a key that types (its text follows) or one that gives nothing
}

bool rightAltTypedItsOwnCharacter(const Cp437Text<TYPED_TEXT_CAPACITY>& text, char32_t symbol,
                                  bool shifted) {
  // With Shift the key types another character anyway; Alt over Shift decides.
  if (shifted) return true;
  if (text.size != 1 || symbol == 0 || symbol > 0x7E) return false;
  const int typed = text.bytes[0];
  const int lower = typed >= 'A' && typed <= 'Z' ? typed - 'A' + 'a' : typed;
  return static_cast<char32_t>(lower) == symbol;
}

}  // namespace kestal
