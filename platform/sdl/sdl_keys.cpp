#include "platform/sdl/sdl_keys.h"

#include <utility>

#include "screen/keyboard.h"

namespace kestal {
namespace {

// SDL keys that are not in a run the table keeps in SDL's own order.
constexpr std::pair<SDL_Scancode, PcKey> SINGLE_KEYS[] = {
    {SDL_SCANCODE_MINUS, PcKey::Minus},
    {SDL_SCANCODE_EQUALS, PcKey::Equals},
    {SDL_SCANCODE_LEFTBRACKET, PcKey::LeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, PcKey::RightBracket},
    {SDL_SCANCODE_BACKSLASH, PcKey::Backslash},
    {SDL_SCANCODE_SEMICOLON, PcKey::Semicolon},
    {SDL_SCANCODE_APOSTROPHE, PcKey::Apostrophe},
    {SDL_SCANCODE_GRAVE, PcKey::Grave},
    {SDL_SCANCODE_COMMA, PcKey::Comma},
    {SDL_SCANCODE_PERIOD, PcKey::Period},
    {SDL_SCANCODE_SLASH, PcKey::Slash},
    {SDL_SCANCODE_ESCAPE, PcKey::Escape},
    {SDL_SCANCODE_BACKSPACE, PcKey::Backspace},
    {SDL_SCANCODE_TAB, PcKey::Tab},
    {SDL_SCANCODE_RETURN, PcKey::Enter},
    {SDL_SCANCODE_SPACE, PcKey::Space},
    {SDL_SCANCODE_UP, PcKey::Up},
    {SDL_SCANCODE_DOWN, PcKey::Down},
    {SDL_SCANCODE_LEFT, PcKey::Left},
    {SDL_SCANCODE_RIGHT, PcKey::Right},
    {SDL_SCANCODE_HOME, PcKey::Home},
    {SDL_SCANCODE_END, PcKey::End},
    {SDL_SCANCODE_PAGEUP, PcKey::PageUp},
    {SDL_SCANCODE_PAGEDOWN, PcKey::PageDown},
    {SDL_SCANCODE_INSERT, PcKey::Insert},
    {SDL_SCANCODE_DELETE, PcKey::Delete},
    {SDL_SCANCODE_KP_PERIOD, PcKey::KeypadPoint},
    {SDL_SCANCODE_KP_DIVIDE, PcKey::KeypadDivide},
    {SDL_SCANCODE_KP_MULTIPLY, PcKey::KeypadMultiply},
    {SDL_SCANCODE_KP_MINUS, PcKey::KeypadMinus},
    {SDL_SCANCODE_KP_PLUS, PcKey::KeypadPlus},
    {SDL_SCANCODE_KP_ENTER, PcKey::KeypadEnter},
};

// SDL keeps letters, the digit row (1 to 9, then 0), the function keys and the keypad
// digits (1 to 9, then 0) in the table's order.
struct KeyRun {
  SDL_Scancode first, last;
  PcKey pcFirst;
};
constexpr KeyRun KEY_RUNS[] = {
    {SDL_SCANCODE_A, SDL_SCANCODE_Z, PcKey::A},
    {SDL_SCANCODE_1, SDL_SCANCODE_0, PcKey::Digit1},
    {SDL_SCANCODE_F1, SDL_SCANCODE_F12, PcKey::F1},
    {SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_0, PcKey::Keypad1},
};

PcKey pcKeyOf(SDL_Scancode scancode) {
  for (const KeyRun& run : KEY_RUNS) {
    if (scancode >= run.first && scancode <= run.last) {
      return pcKeyAfter(run.pcFirst, scancode - run.first);
    }
  }
  for (const auto& [sdl, pc] : SINGLE_KEYS) {
    if (sdl == scancode) return pc;
  }
  return PcKey::Other;
}

KeyModifiers modifiersOf(Uint16 mod) {
  KeyModifiers modifiers;
  modifiers.shift = (mod & KMOD_SHIFT) != 0;
  modifiers.ctrl = (mod & KMOD_CTRL) != 0;
  modifiers.alt = (mod & KMOD_ALT) != 0;
  modifiers.rightAltOnly = (mod & KMOD_RALT) && !(mod & KMOD_LALT);
  modifiers.numLock = (mod & KMOD_NUM) != 0;
  return modifiers;
}

// What the key types on its own; keys without a character have SDL's scancode bit set.
char32_t layoutSymbol(SDL_Keycode sym) {
  if (sym <= 0 || (sym & SDLK_SCANCODE_MASK)) return 0;
  return static_cast<char32_t>(sym);
}

}  // namespace

KeyDownMeaning translateKeyDown(const SDL_Keysym& key) {
  return translateKeyDown(pcKeyOf(key.scancode), layoutSymbol(key.sym), modifiersOf(key.mod));
}

KeyEvents KeyTranslator::flush() {
  KeyEvents result;
  if (pendingRightAlt_) result.add(pendingRightAlt_->altEntry);
  pendingRightAlt_.reset();
  return result;
}

void KeyTranslator::settleRightAlt(const char* utf8, KeyEvents& result) {
  const auto text = cp437FromUtf8(utf8);
  if (rightAltTypedItsOwnCharacter(text, pendingRightAlt_->symbol, pendingRightAlt_->shifted)) {
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
        pendingRightAlt_ =
            PendingRightAlt{meaning.entry, layoutSymbol(key.sym), (key.mod & KMOD_SHIFT) != 0};
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
