#include "screen/sdl/sdl_keys.h"

#include <optional>
#include <utility>

#include "screen/keyboard.h"

namespace kestal {
namespace {

enum class Modifier { None, Shift, Ctrl, Alt };

// Alt over Ctrl over Shift, as the BIOS reads the shift state.
Modifier dominantModifier(Uint16 mod) {
  if (mod & KMOD_ALT) return Modifier::Alt;
  if (mod & KMOD_CTRL) return Modifier::Ctrl;
  if (mod & KMOD_SHIFT) return Modifier::Shift;
  return Modifier::None;
}

// Extended codes k of a key without a character, by modifier; 0 means none.
struct ExtendedRow {
  SDL_Scancode scancode;
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
    {SDL_SCANCODE_UP, 72, 72, 141, 152},     {SDL_SCANCODE_DOWN, 80, 80, 145, 160},
    {SDL_SCANCODE_LEFT, 75, 75, 115, 155},   {SDL_SCANCODE_RIGHT, 77, 77, 116, 157},
    {SDL_SCANCODE_HOME, 71, 71, 119, 151},   {SDL_SCANCODE_END, 79, 79, 117, 159},
    {SDL_SCANCODE_PAGEUP, 73, 73, 132, 153}, {SDL_SCANCODE_PAGEDOWN, 81, 81, 118, 161},
    {SDL_SCANCODE_INSERT, 82, 82, 146, 162}, {SDL_SCANCODE_DELETE, 83, 83, 147, 163},
    {SDL_SCANCODE_F11, 133, 135, 137, 139},  {SDL_SCANCODE_F12, 134, 136, 138, 140},
};

// The keypad's second meaning with Num Lock off; 5 has none.
constexpr std::pair<SDL_Scancode, SDL_Scancode> KEYPAD_EDITING[] = {
    {SDL_SCANCODE_KP_8, SDL_SCANCODE_UP},     {SDL_SCANCODE_KP_2, SDL_SCANCODE_DOWN},
    {SDL_SCANCODE_KP_4, SDL_SCANCODE_LEFT},   {SDL_SCANCODE_KP_6, SDL_SCANCODE_RIGHT},
    {SDL_SCANCODE_KP_7, SDL_SCANCODE_HOME},   {SDL_SCANCODE_KP_1, SDL_SCANCODE_END},
    {SDL_SCANCODE_KP_9, SDL_SCANCODE_PAGEUP}, {SDL_SCANCODE_KP_3, SDL_SCANCODE_PAGEDOWN},
    {SDL_SCANCODE_KP_0, SDL_SCANCODE_INSERT}, {SDL_SCANCODE_KP_PERIOD, SDL_SCANCODE_DELETE},
};

// Alt with a key that types: the BIOS scan code of that key.
struct AltCode {
  SDL_Scancode scancode;
  int code;
};
constexpr AltCode ALT_CODES[] = {
    {SDL_SCANCODE_Q, 16},           {SDL_SCANCODE_W, 17},           {SDL_SCANCODE_E, 18},
    {SDL_SCANCODE_R, 19},           {SDL_SCANCODE_T, 20},           {SDL_SCANCODE_Y, 21},
    {SDL_SCANCODE_U, 22},           {SDL_SCANCODE_I, 23},           {SDL_SCANCODE_O, 24},
    {SDL_SCANCODE_P, 25},           {SDL_SCANCODE_LEFTBRACKET, 26}, {SDL_SCANCODE_RIGHTBRACKET, 27},
    {SDL_SCANCODE_A, 30},           {SDL_SCANCODE_S, 31},           {SDL_SCANCODE_D, 32},
    {SDL_SCANCODE_F, 33},           {SDL_SCANCODE_G, 34},           {SDL_SCANCODE_H, 35},
    {SDL_SCANCODE_J, 36},           {SDL_SCANCODE_K, 37},           {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39},   {SDL_SCANCODE_APOSTROPHE, 40},  {SDL_SCANCODE_GRAVE, 41},
    {SDL_SCANCODE_BACKSLASH, 43},   {SDL_SCANCODE_Z, 44},           {SDL_SCANCODE_X, 45},
    {SDL_SCANCODE_C, 46},           {SDL_SCANCODE_V, 47},           {SDL_SCANCODE_B, 48},
    {SDL_SCANCODE_N, 49},           {SDL_SCANCODE_M, 50},           {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52},      {SDL_SCANCODE_SLASH, 53},       {SDL_SCANCODE_1, 120},
    {SDL_SCANCODE_2, 121},          {SDL_SCANCODE_3, 122},          {SDL_SCANCODE_4, 123},
    {SDL_SCANCODE_5, 124},          {SDL_SCANCODE_6, 125},          {SDL_SCANCODE_7, 126},
    {SDL_SCANCODE_8, 127},          {SDL_SCANCODE_9, 128},          {SDL_SCANCODE_0, 129},
    {SDL_SCANCODE_MINUS, 130},      {SDL_SCANCODE_EQUALS, 131},     {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_BACKSPACE, 14},   {SDL_SCANCODE_TAB, 165},        {SDL_SCANCODE_KP_DIVIDE, 164},
    {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_KP_MINUS, 74},    {SDL_SCANCODE_KP_PLUS, 78},
};

constexpr AltCode CTRL_KEYPAD_CODES[] = {
    {SDL_SCANCODE_KP_DIVIDE, 149},
    {SDL_SCANCODE_KP_MULTIPLY, 150},
    {SDL_SCANCODE_KP_MINUS, 142},
    {SDL_SCANCODE_KP_PLUS, 144},
};

// Keys whose character SDL does not send as text: Enter, Escape, Backspace, Tab.
struct ControlCharacter {
  SDL_Scancode scancode;
  int plain, ctrl;
};
constexpr ControlCharacter CONTROL_CHARACTERS[] = {
    {SDL_SCANCODE_RETURN, 13, 10}, {SDL_SCANCODE_KP_ENTER, 13, 10},
    {SDL_SCANCODE_ESCAPE, 27, 27}, {SDL_SCANCODE_BACKSPACE, 8, 127},
    {SDL_SCANCODE_TAB, 9, 9},
};

template <typename Row, std::size_t N>
const Row* findByScancode(const Row (&table)[N], SDL_Scancode scancode) {
  for (const Row& row : table) {
    if (row.scancode == scancode) return &row;
  }
  return nullptr;
}

const ExtendedRow* editingRow(SDL_Scancode scancode) {
  return findByScancode(EDITING_KEYS, scancode);
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

bool isFunctionKey(SDL_Scancode scancode) {
  return scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10;
}

KeyDownMeaning functionKey(SDL_Scancode scancode, Modifier modifier) {
  const int index = scancode - SDL_SCANCODE_F1;  // F1 is 0
  constexpr int FIRST[] = {59, 84, 94, 104};     // plain, Shift, Ctrl, Alt
  return extended(FIRST[static_cast<int>(modifier)] + index);
}

// A keypad key that acts as an editing key: Num Lock off and Shift not inverting it.
std::optional<SDL_Scancode> keypadEditingKey(const SDL_Keysym& key) {
  if ((key.mod & KMOD_NUM) || (key.mod & KMOD_SHIFT)) return std::nullopt;
  for (const auto& [keypad, editing] : KEYPAD_EDITING) {
    if (keypad == key.scancode) return editing;
  }
  return std::nullopt;
}

bool isKeypadDigitOrPoint(SDL_Scancode scancode) {
  for (const auto& entry : KEYPAD_EDITING) {
    if (entry.first == scancode) return true;
  }
  return scancode == SDL_SCANCODE_KP_5;
}

// The letter a key stands for under Ctrl: the layout's letter, else the key's position.
int ctrlLetter(const SDL_Keysym& key) {
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return key.sym - SDLK_a + 1;
  if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z) {
    return key.scancode - SDL_SCANCODE_A + 1;
  }
  return -1;
}

// Letters, digits and punctuation: the keys AltGr gives other characters.
bool isTypingKey(SDL_Scancode scancode) {
  return (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_0) ||
         (scancode >= SDL_SCANCODE_MINUS && scancode <= SDL_SCANCODE_SLASH);
}

bool onlyRightAlt(Uint16 mod) {
  return (mod & KMOD_RALT) && !(mod & KMOD_LALT) && !(mod & KMOD_CTRL);
}

KeyDownMeaning withAlt(const SDL_Keysym& key) {
  if (key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER) {
    return {-1, true, true};
  }
  if (const ExtendedRow* row = editingRow(key.scancode)) return extended(row->alt);
  if (isFunctionKey(key.scancode)) return functionKey(key.scancode, Modifier::Alt);
  if (const AltCode* alt = findByScancode(ALT_CODES, key.scancode)) {
    KeyDownMeaning meaning = extended(alt->code);
    meaning.mayBeAltGr = onlyRightAlt(key.mod) && isTypingKey(key.scancode);
    return meaning;
  }
  return nothingAndNoText();  // keypad digits (Alt+number composing), space, modifiers
}

// Whether a Right Alt press typed what the key types anyway (plain Alt on this layout)
// rather than a character of its own (AltGr).
bool typedItsOwnCharacter(const Cp437Text<TYPED_TEXT_CAPACITY>& text, SDL_Keycode symbol,
                          bool shifted) {
  // With Shift the key types another character anyway; Alt over Shift decides.
  if (shifted) return true;
  if (text.size != 1 || symbol <= 0 || symbol > 0x7E) return false;
  const int typed = text.bytes[0];
  const int lower = typed >= 'A' && typed <= 'Z' ? typed - 'A' + 'a' : typed;
  return lower == symbol;
}

KeyDownMeaning withCtrl(const SDL_Keysym& key) {
  if (const ControlCharacter* c = findByScancode(CONTROL_CHARACTERS, key.scancode)) {
    return character(c->ctrl);
  }
  if (const AltCode* keypad = findByScancode(CTRL_KEYPAD_CODES, key.scancode)) {
    return extended(keypad->code);
  }
  switch (key.sym) {
    case SDLK_SPACE:
      return character(' ');
    case SDLK_LEFTBRACKET:
      return character(27);
    case SDLK_BACKSLASH:
      return character(28);
    case SDLK_RIGHTBRACKET:
      return character(29);
    default:
      break;
  }
  const int letter = ctrlLetter(key);
  if (letter > 0) return character(letter);
  return nothingAndNoText();
}

}  // namespace

KeyDownMeaning translateKeyDown(const SDL_Keysym& key) {
  const Modifier modifier = dominantModifier(key.mod);
  SDL_Scancode scancode = key.scancode;
  if (isKeypadDigitOrPoint(scancode)) {
    const std::optional<SDL_Scancode> editing = keypadEditingKey(key);
    // Alt with the keypad composes character numbers on a PC: no code of its own.
    if (modifier == Modifier::Alt) return nothingAndNoText();
    if (!editing) {
      if (modifier == Modifier::Ctrl) return nothingAndNoText();
      return {};  // a digit or the point, arriving as text
    }
    scancode = *editing;
  }
  if (const ExtendedRow* row = editingRow(scancode)) return extended(row->forModifier(modifier));
  if (isFunctionKey(scancode)) return functionKey(scancode, modifier);
  if (modifier == Modifier::Alt) return withAlt(key);
  if (modifier == Modifier::Ctrl) return withCtrl(key);
  if (const ControlCharacter* c = findByScancode(CONTROL_CHARACTERS, scancode)) {
    return character(c->plain);
  }
  return {};  // a key that types (its text follows) or one that gives nothing
}

KeyEvents KeyTranslator::flush() {
  KeyEvents result;
  if (pendingRightAlt_) result.add(pendingRightAlt_->altEntry);
  pendingRightAlt_.reset();
  return result;
}

void KeyTranslator::settleRightAlt(const char* utf8, KeyEvents& result) {
  const auto text = cp437FromUtf8(utf8);
  if (typedItsOwnCharacter(text, pendingRightAlt_->symbol, pendingRightAlt_->shifted)) {
    result.add(pendingRightAlt_->altEntry);
    swallowText_ = true;
  } else {
    for (std::size_t i = 0; i < text.size; ++i) result.add(text.bytes[i]);
    swallowText_ = false;
  }
  pendingRightAlt_.reset();
}

KeyEvents KeyTranslator::translate(const SDL_Event& event) {
  KeyEvents result;
  if (pendingRightAlt_ && event.type != SDL_TEXTINPUT) result = flush();
  const bool closeEcho = quitEchoesClose_;
  quitEchoesClose_ = false;
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDL_Keysym& key = event.key.keysym;
      const KeyDownMeaning meaning = translateKeyDown(key);
      swallowText_ = meaning.swallowsText;
      if (meaning.mayBeAltGr) {
        pendingRightAlt_ = PendingRightAlt{meaning.entry, key.sym, (key.mod & KMOD_SHIFT) != 0};
        break;
      }
      if (meaning.entry >= 0) result.add(meaning.entry);
      // Holding Alt+Enter must not flicker between full screen and window.
      result.toggleFullScreen = meaning.toggleFullScreen && event.key.repeat == 0;
      break;
    }
    case SDL_TEXTINPUT:
      if (pendingRightAlt_) {
        settleRightAlt(event.text.text, result);
      } else if (!swallowText_) {
        const auto text = cp437FromUtf8(event.text.text);
        for (std::size_t i = 0; i < text.size; ++i) result.add(text.bytes[i]);
      }
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        result.add(CLOSE_KEY);
        quitEchoesClose_ = true;
      }
      break;
    case SDL_QUIT:
      if (!closeEcho) result.add(CLOSE_KEY);
      break;
    default:
      break;
  }
  return result;
}

}  // namespace kestal
