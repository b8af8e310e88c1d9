// SDL's keyboard and window events to key queue entries, checked against the PC keyboard's
// codes.
#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr Uint16 NONE = KMOD_NONE;
constexpr Uint16 SHIFT = KMOD_LSHIFT;
constexpr Uint16 CTRL = KMOD_LCTRL;
constexpr Uint16 ALT = KMOD_LALT;
constexpr Uint16 NUM = KMOD_NUM;

SDL_Keysym keysym(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod) {
  SDL_Keysym key{};
  key.scancode = scancode;
  key.sym = sym;
  key.mod = mod;
  return key;
}

// The symbol a US layout gives the keys these tests press.
SDL_Keycode usSymbol(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return SDLK_a + (scancode - SDL_SCANCODE_A);
  }
  switch (scancode) {
    case SDL_SCANCODE_0:
      return SDLK_0;
    case SDL_SCANCODE_1:
      return SDLK_1;
    case SDL_SCANCODE_MINUS:
      return SDLK_MINUS;
    case SDL_SCANCODE_LEFTBRACKET:
      return SDLK_LEFTBRACKET;
    case SDL_SCANCODE_RETURN:
      return SDLK_RETURN;
    case SDL_SCANCODE_ESCAPE:
      return SDLK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return SDLK_BACKSPACE;
    case SDL_SCANCODE_TAB:
      return SDLK_TAB;
    case SDL_SCANCODE_SPACE:
      return SDLK_SPACE;
    default:
      return SDL_SCANCODE_TO_KEYCODE(scancode);
  }
}

int entryOf(SDL_Scancode scancode, Uint16 mod = NONE) {
  return translateKeyDown(keysym(scancode, usSymbol(scancode), mod)).entry;
}

SDL_Event keyDown(SDL_Scancode scancode, Uint16 mod = NONE, bool repeat = false) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym = keysym(scancode, usSymbol(scancode), mod);
  event.key.repeat = repeat ? 1 : 0;
  event.key.state = SDL_PRESSED;
  return event;
}

SDL_Event text(const std::string& utf8) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  utf8.copy(event.text.text, sizeof event.text.text - 1);
  return event;
}

SDL_Event windowEvent(SDL_WindowEventID id) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = id;
  return event;
}

SDL_Event quit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  return event;
}

std::vector<int> entries(const KeyEvents& events) {
  return std::vector<int>(events.entries.begin(), events.entries.begin() + events.count);
}

std::vector<int> feed(KeyTranslator& translator, const std::vector<SDL_Event>& events) {
  std::vector<int> result;
  for (const SDL_Event& event : events) {
    const std::vector<int> some = entries(translator.translate(event));
    result.insert(result.end(), some.begin(), some.end());
  }
  return result;
}

constexpr int ext(int k) {
  return extendedKey(k);
}

// Every SDL key the table knows reaches its row; the table's columns are checked with the
// table itself.
TEST(KeyDown, SdlKeysReachTheirRowOfTheBiosTable) {
  struct Case {
    SDL_Scancode scancode;
    Uint16 mod;
    int entry;
  };
  const Case cases[] = {
      {SDL_SCANCODE_UP, NONE, ext(72)},
      {SDL_SCANCODE_DOWN, NONE, ext(80)},
      {SDL_SCANCODE_LEFT, NONE, ext(75)},
      {SDL_SCANCODE_RIGHT, NONE, ext(77)},
      {SDL_SCANCODE_HOME, NONE, ext(71)},
      {SDL_SCANCODE_END, NONE, ext(79)},
      {SDL_SCANCODE_PAGEUP, NONE, ext(73)},
      {SDL_SCANCODE_PAGEDOWN, NONE, ext(81)},
      {SDL_SCANCODE_INSERT, NONE, ext(82)},
      {SDL_SCANCODE_DELETE, NONE, ext(83)},
      {SDL_SCANCODE_F1, NONE, ext(59)},
      {SDL_SCANCODE_F10, NONE, ext(68)},
      {SDL_SCANCODE_F11, NONE, ext(133)},
      {SDL_SCANCODE_F12, NONE, ext(134)},
      {SDL_SCANCODE_F4, ALT, CLOSE_KEY},
      {SDL_SCANCODE_KP_8, NONE, ext(72)},
      {SDL_SCANCODE_KP_1, NONE, ext(79)},
      {SDL_SCANCODE_KP_9, NONE, ext(73)},
      {SDL_SCANCODE_KP_0, NONE, ext(82)},
      {SDL_SCANCODE_KP_PERIOD, NONE, ext(83)},
      {SDL_SCANCODE_KP_5, NONE, -1},
      {SDL_SCANCODE_KP_DIVIDE, CTRL, ext(149)},
      {SDL_SCANCODE_KP_MULTIPLY, CTRL, ext(150)},
      {SDL_SCANCODE_KP_MINUS, CTRL, ext(142)},
      {SDL_SCANCODE_KP_PLUS, CTRL, ext(144)},
      {SDL_SCANCODE_RETURN, NONE, 13},
      {SDL_SCANCODE_KP_ENTER, NONE, 13},
      {SDL_SCANCODE_ESCAPE, NONE, 27},
      {SDL_SCANCODE_BACKSPACE, NONE, 8},
      {SDL_SCANCODE_TAB, NONE, 9},
      {SDL_SCANCODE_BACKSPACE, CTRL, 127},
      {SDL_SCANCODE_SPACE, CTRL, ' '},
      {SDL_SCANCODE_A, CTRL, 1},
      {SDL_SCANCODE_Z, CTRL, 26},
      {SDL_SCANCODE_LEFTBRACKET, CTRL, 27},
      {SDL_SCANCODE_Q, ALT, ext(16)},
      {SDL_SCANCODE_A, ALT, ext(30)},
      {SDL_SCANCODE_Z, ALT, ext(44)},
      {SDL_SCANCODE_1, ALT, ext(120)},
      {SDL_SCANCODE_9, ALT, ext(128)},
      {SDL_SCANCODE_0, ALT, ext(129)},
      {SDL_SCANCODE_MINUS, ALT, ext(130)},
      {SDL_SCANCODE_EQUALS, ALT, ext(131)},
      {SDL_SCANCODE_LEFTBRACKET, ALT, ext(26)},
      {SDL_SCANCODE_RIGHTBRACKET, ALT, ext(27)},
      {SDL_SCANCODE_BACKSLASH, ALT, ext(43)},
      {SDL_SCANCODE_SEMICOLON, ALT, ext(39)},
      {SDL_SCANCODE_APOSTROPHE, ALT, ext(40)},
      {SDL_SCANCODE_GRAVE, ALT, ext(41)},
      {SDL_SCANCODE_COMMA, ALT, ext(51)},
      {SDL_SCANCODE_PERIOD, ALT, ext(52)},
      {SDL_SCANCODE_SLASH, ALT, ext(53)},
      {SDL_SCANCODE_ESCAPE, ALT, ext(1)},
      {SDL_SCANCODE_TAB, ALT, ext(165)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(entryOf(c.scancode, c.mod), c.entry) << SDL_GetScancodeName(c.scancode);
  }
}

TEST(KeyDown, EitherSidesModifiersAndNumLockCount) {
  EXPECT_EQ(entryOf(SDL_SCANCODE_LEFT, CTRL | ALT), ext(155));
  EXPECT_EQ(entryOf(SDL_SCANCODE_LEFT, KMOD_RCTRL), ext(115));
  EXPECT_EQ(entryOf(SDL_SCANCODE_RIGHT, KMOD_RALT | SHIFT), ext(157));
  EXPECT_EQ(entryOf(SDL_SCANCODE_F1, KMOD_RSHIFT), ext(84));
  EXPECT_EQ(entryOf(SDL_SCANCODE_X, KMOD_RALT), ext(45));
  // Num Lock on, or Shift, types the digit: it arrives as text, so the key-down is silent
  // and must not swallow that text.
  for (const Uint16 mod : {NUM, SHIFT}) {
    const KeyDownMeaning digit = translateKeyDown(keysym(SDL_SCANCODE_KP_8, SDLK_KP_8, mod));
    EXPECT_EQ(digit.entry, -1);
    EXPECT_FALSE(digit.swallowsText);
  }
}

TEST(KeyDown, CtrlGoesByTheLayoutsLetterAndAltByThePosition) {
  // The key at the US Q position typing "a" (French) gives Ctrl+A but Alt+Q.
  EXPECT_EQ(translateKeyDown(keysym(SDL_SCANCODE_Q, SDLK_a, CTRL)).entry, 1);
  EXPECT_EQ(translateKeyDown(keysym(SDL_SCANCODE_Q, SDLK_a, ALT)).entry, ext(16));
  EXPECT_TRUE(translateKeyDown(keysym(SDL_SCANCODE_Q, SDLK_q, ALT)).swallowsText);
}

TEST(KeyDown, AltEnterSwitchesFullScreenWithoutACode) {
  const KeyDownMeaning altEnter = translateKeyDown(keysym(SDL_SCANCODE_RETURN, SDLK_RETURN, ALT));
  EXPECT_TRUE(altEnter.toggleFullScreen);
  EXPECT_EQ(altEnter.entry, -1);
  EXPECT_FALSE(translateKeyDown(keysym(SDL_SCANCODE_RETURN, SDLK_RETURN, NONE)).toggleFullScreen);
}

TEST(KeyDown, KeysWithoutACodeGiveNothing) {
  for (const SDL_Scancode scancode : {SDL_SCANCODE_PAUSE, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT,
                                      SDL_SCANCODE_LCTRL, SDL_SCANCODE_LALT, SDL_SCANCODE_CAPSLOCK,
                                      SDL_SCANCODE_NUMLOCKCLEAR, SDL_SCANCODE_SCROLLLOCK}) {
    EXPECT_EQ(entryOf(scancode), -1) << SDL_GetScancodeName(scancode);
  }
  EXPECT_EQ(entryOf(SDL_SCANCODE_PAUSE, CTRL), -1);
  EXPECT_EQ(entryOf(SDL_SCANCODE_LALT, ALT), -1);
  // A key that types leaves its character to the text that follows.
  const KeyDownMeaning p = translateKeyDown(keysym(SDL_SCANCODE_P, SDLK_p, NONE));
  EXPECT_EQ(p.entry, -1);
  EXPECT_FALSE(p.swallowsText);
}

TEST(KeyTranslator, TextCountsUnlessItsKeyDownHadACodeOrAlt) {
  KeyTranslator translator;
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_P), text("p")}), std::vector<int>{'p'});
  EXPECT_EQ(feed(translator,
                 {keyDown(SDL_SCANCODE_LSHIFT, SHIFT), keyDown(SDL_SCANCODE_P, SHIFT), text("P")}),
            std::vector<int>{'P'});
  // Alt+Q: the scan code only, even where the window system also reports the letter.
  EXPECT_EQ(
      feed(translator, {keyDown(SDL_SCANCODE_LALT, ALT), keyDown(SDL_SCANCODE_Q, ALT), text("q")}),
      std::vector<int>{ext(16)});
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_C, CTRL), text("c")}), std::vector<int>{3});
  // The next plain key's text counts again.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_E), text("\xC3\xA9")}), std::vector<int>{0x82});
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_E), text("\xE2\x82\xAC")}), std::vector<int>{});
  // Held keys: every repeat the system delivers is a code.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_UP), keyDown(SDL_SCANCODE_UP, NONE, true),
                              keyDown(SDL_SCANCODE_UP, NONE, true)}),
            (std::vector<int>{ext(72), ext(72), ext(72)}));
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_A), text("a"),
                              keyDown(SDL_SCANCODE_A, NONE, true), text("a")}),
            (std::vector<int>{'a', 'a'}));
}

TEST(KeyTranslator, RightAltIsAltGrWhenItTypesACharacterOfItsOwn) {
  KeyTranslator translator;
  constexpr Uint16 RALT = KMOD_RALT;
  // AltGr+E typing e acute (German, US international layouts).
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_E, RALT), text("\xC3\xA9")}),
            std::vector<int>{0x82});
  // AltGr+Q typing "@", then the plain key again.
  EXPECT_EQ(feed(translator,
                 {keyDown(SDL_SCANCODE_Q, RALT), text("@"), keyDown(SDL_SCANCODE_Q), text("q")}),
            (std::vector<int>{'@', 'q'}));
  // A US Right Alt types the key's own letter: that is Alt+Q.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_Q, RALT), text("q")}),
            std::vector<int>{ext(16)});
  // No text at all, the batch ending or another key-down coming first: Alt as well.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_Q, RALT)}), std::vector<int>{});
  EXPECT_EQ(entries(translator.flush()), std::vector<int>{ext(16)});
  EXPECT_EQ(entries(translator.flush()), std::vector<int>{});
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_W, RALT), keyDown(SDL_SCANCODE_UP)}),
            (std::vector<int>{ext(17), ext(72)}));
  // Alt over Shift, and the left Alt is always Alt.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_1, RALT | SHIFT), text("!")}),
            std::vector<int>{ext(120)});
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_E, ALT), text("\xC3\xA9")}),
            std::vector<int>{ext(18)});
  // Keys that never type stay Alt keys at once.
  EXPECT_EQ(feed(translator, {keyDown(SDL_SCANCODE_F4, RALT)}), std::vector<int>{CLOSE_KEY});
}

TEST(KeyTranslator, CloseRequestsGiveOneCloseKeyEach) {
  KeyTranslator translator;
  // SDL may follow the window's close request with a quit event: still one press.
  EXPECT_EQ(feed(translator, {windowEvent(SDL_WINDOWEVENT_CLOSE), quit()}),
            std::vector<int>{CLOSE_KEY});
  EXPECT_EQ(
      feed(translator, {windowEvent(SDL_WINDOWEVENT_CLOSE), windowEvent(SDL_WINDOWEVENT_CLOSE)}),
      (std::vector<int>{CLOSE_KEY, CLOSE_KEY}));
  // A quit event of its own (the session ending) is a close request too.
  KeyTranslator fresh;
  EXPECT_EQ(feed(fresh, {quit()}), std::vector<int>{CLOSE_KEY});
  EXPECT_EQ(feed(fresh, {windowEvent(SDL_WINDOWEVENT_CLOSE), windowEvent(SDL_WINDOWEVENT_EXPOSED),
                         quit()}),
            (std::vector<int>{CLOSE_KEY, CLOSE_KEY}));
  EXPECT_EQ(feed(translator, {windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)}), std::vector<int>{});
}

TEST(KeyTranslator, AltEnterTogglesOncePerPress) {
  KeyTranslator translator;
  const KeyEvents press = translator.translate(keyDown(SDL_SCANCODE_RETURN, ALT));
  EXPECT_TRUE(press.toggleFullScreen);
  EXPECT_EQ(press.count, 0u);
  EXPECT_FALSE(translator.translate(keyDown(SDL_SCANCODE_RETURN, ALT, true)).toggleFullScreen);
  EXPECT_FALSE(translator.translate(text("\r")).toggleFullScreen);
}

}  // namespace
}  // namespace kestal
