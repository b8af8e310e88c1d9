// The PC key table: key-downs to key queue entries, checked against the PC keyboard's codes.
#include "platform/keys/key_down.h"

#include <gtest/gtest.h>

#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr KeyModifiers NONE{};
constexpr KeyModifiers SHIFT{.shift = true};
constexpr KeyModifiers CTRL{.ctrl = true};
constexpr KeyModifiers ALT{.alt = true};
constexpr KeyModifiers RIGHT_ALT{.alt = true, .rightAltOnly = true};
constexpr KeyModifiers NUM{.numLock = true};

constexpr KeyModifiers operator|(KeyModifiers a, KeyModifiers b) {
  return {a.shift || b.shift, a.ctrl || b.ctrl, a.alt || b.alt, a.rightAltOnly || b.rightAltOnly,
          a.numLock || b.numLock};
}

// What a US layout types on the keys these tests press.
char32_t usSymbol(PcKey key) {
  if (key >= PcKey::A && key <= PcKey::Z) {
    return U'a' + (static_cast<int>(key) - static_cast<int>(PcKey::A));
  }
  switch (key) {
    case PcKey::Digit0:
      return U'0';
    case PcKey::Digit1:
      return U'1';
    case PcKey::Minus:
      return U'-';
    case PcKey::LeftBracket:
      return U'[';
    case PcKey::Space:
      return U' ';
    default:
      return 0;
  }
}

KeyDownMeaning meaningOf(PcKey key, KeyModifiers modifiers = NONE) {
  return translateKeyDown(key, usSymbol(key), modifiers);
}

int entryOf(PcKey key, KeyModifiers modifiers = NONE) {
  return meaningOf(key, modifiers).entry;
}

constexpr int ext(int k) {
  return extendedKey(k);
}

TEST(KeyTable, EditingKeysFollowTheBiosTable) {
  EXPECT_EQ(entryOf(PcKey::Up), ext('H'));
  EXPECT_EQ(entryOf(PcKey::Down), ext('P'));
  EXPECT_EQ(entryOf(PcKey::Left), ext('K'));
  EXPECT_EQ(entryOf(PcKey::Right), ext('M'));
  EXPECT_EQ(entryOf(PcKey::Home), ext('G'));
  EXPECT_EQ(entryOf(PcKey::End), ext('O'));
  EXPECT_EQ(entryOf(PcKey::PageUp), ext('I'));
  EXPECT_EQ(entryOf(PcKey::PageDown), ext('Q'));
  EXPECT_EQ(entryOf(PcKey::Insert), ext('R'));
  EXPECT_EQ(entryOf(PcKey::Delete), ext('S'));
  EXPECT_EQ(entryOf(PcKey::Up, SHIFT), ext(72));
  EXPECT_EQ(entryOf(PcKey::Up, CTRL), ext(141));
  EXPECT_EQ(entryOf(PcKey::Up, ALT), ext(152));
  EXPECT_EQ(entryOf(PcKey::Down, CTRL), ext(145));
  EXPECT_EQ(entryOf(PcKey::Down, ALT), ext(160));
  EXPECT_EQ(entryOf(PcKey::Right, CTRL), ext(116));
  EXPECT_EQ(entryOf(PcKey::Home, CTRL), ext(119));
  EXPECT_EQ(entryOf(PcKey::End, ALT), ext(159));
  EXPECT_EQ(entryOf(PcKey::PageUp, CTRL), ext(132));
  EXPECT_EQ(entryOf(PcKey::PageDown, ALT), ext(161));
  EXPECT_EQ(entryOf(PcKey::Insert, CTRL), ext(146));
  EXPECT_EQ(entryOf(PcKey::Delete, ALT), ext(163));
  // Alt over Ctrl over Shift.
  EXPECT_EQ(entryOf(PcKey::Left, CTRL | ALT), ext(155));
  EXPECT_EQ(entryOf(PcKey::Left, SHIFT | CTRL), ext(115));
  EXPECT_EQ(entryOf(PcKey::Right, RIGHT_ALT | SHIFT), ext(157));
}

TEST(KeyTable, FunctionKeysFollowTheBiosTable) {
  EXPECT_EQ(entryOf(PcKey::F1), ext(59));
  EXPECT_EQ(entryOf(PcKey::F10), ext(68));
  EXPECT_EQ(entryOf(PcKey::F1, SHIFT), ext(84));
  EXPECT_EQ(entryOf(PcKey::F10, SHIFT), ext(93));
  EXPECT_EQ(entryOf(PcKey::F1, CTRL), ext(94));
  EXPECT_EQ(entryOf(PcKey::F10, CTRL), ext(103));
  EXPECT_EQ(entryOf(PcKey::F1, ALT), ext(104));
  EXPECT_EQ(entryOf(PcKey::F4, ALT), CLOSE_KEY);
  EXPECT_EQ(entryOf(PcKey::F11), ext(133));
  EXPECT_EQ(entryOf(PcKey::F12), ext(134));
  EXPECT_EQ(entryOf(PcKey::F11, SHIFT), ext(135));
  EXPECT_EQ(entryOf(PcKey::F12, SHIFT), ext(136));
  EXPECT_EQ(entryOf(PcKey::F11, CTRL), ext(137));
  EXPECT_EQ(entryOf(PcKey::F12, CTRL), ext(138));
  EXPECT_EQ(entryOf(PcKey::F11, ALT), ext(139));
  EXPECT_EQ(entryOf(PcKey::F12, ALT), ext(140));
}

TEST(KeyTable, KeypadEditsWithNumLockOffAndTypesOtherwise) {
  EXPECT_EQ(entryOf(PcKey::Keypad8), ext(72));
  EXPECT_EQ(entryOf(PcKey::Keypad2), ext(80));
  EXPECT_EQ(entryOf(PcKey::Keypad4), ext(75));
  EXPECT_EQ(entryOf(PcKey::Keypad6), ext(77));
  EXPECT_EQ(entryOf(PcKey::Keypad7), ext(71));
  EXPECT_EQ(entryOf(PcKey::Keypad1), ext(79));
  EXPECT_EQ(entryOf(PcKey::Keypad9), ext(73));
  EXPECT_EQ(entryOf(PcKey::Keypad3), ext(81));
  EXPECT_EQ(entryOf(PcKey::Keypad0), ext(82));
  EXPECT_EQ(entryOf(PcKey::KeypadPoint), ext(83));
  EXPECT_EQ(entryOf(PcKey::Keypad7, CTRL), ext(119));
  EXPECT_EQ(entryOf(PcKey::Keypad5), -1);
  // Num Lock on, or Shift, types the digit: it arrives as text, so the key-down is silent
  // and must not swallow that text.
  for (const KeyModifiers modifiers : {NUM, SHIFT}) {
    const KeyDownMeaning digit = translateKeyDown(PcKey::Keypad8, U'8', modifiers);
    EXPECT_EQ(digit.entry, -1);
    EXPECT_FALSE(digit.swallowsText);
  }
  // The operators: characters plain, codes of their own with Ctrl and Alt.
  EXPECT_EQ(entryOf(PcKey::KeypadPlus), -1);
  EXPECT_EQ(entryOf(PcKey::KeypadPlus, CTRL), ext(144));
  EXPECT_EQ(entryOf(PcKey::KeypadDivide, ALT), ext(164));
}

TEST(KeyTable, EnterEscapeBackspaceTabAreCharacters) {
  EXPECT_EQ(entryOf(PcKey::Enter), 13);
  EXPECT_EQ(entryOf(PcKey::KeypadEnter), 13);
  EXPECT_EQ(entryOf(PcKey::Escape), 27);
  EXPECT_EQ(entryOf(PcKey::Backspace), 8);
  EXPECT_EQ(entryOf(PcKey::Tab), 9);
  EXPECT_EQ(entryOf(PcKey::Enter, SHIFT), 13);
  EXPECT_EQ(entryOf(PcKey::Backspace, SHIFT), 8);
  EXPECT_EQ(entryOf(PcKey::Enter, CTRL), 10);
  EXPECT_EQ(entryOf(PcKey::Backspace, CTRL), 127);
  EXPECT_EQ(entryOf(PcKey::Escape, ALT), ext(1));
  EXPECT_EQ(entryOf(PcKey::Backspace, ALT), ext(14));
}

TEST(KeyTable, CtrlWithALetterIsAControlCharacter) {
  EXPECT_EQ(entryOf(PcKey::A, CTRL), 1);
  EXPECT_EQ(entryOf(PcKey::C, CTRL), 3);
  EXPECT_EQ(entryOf(PcKey::Z, CTRL), 26);
  EXPECT_EQ(entryOf(PcKey::C, CTRL | SHIFT), 3);
  // The layout decides the letter: the key at the US Q position typing "a" gives Ctrl+A;
  // without a letter from the layout, the key's place does.
  EXPECT_EQ(translateKeyDown(PcKey::Q, U'a', CTRL).entry, 1);
  EXPECT_EQ(translateKeyDown(PcKey::Q, 0, CTRL).entry, 17);
  EXPECT_EQ(entryOf(PcKey::LeftBracket, CTRL), 27);
  EXPECT_EQ(entryOf(PcKey::Space, CTRL), ' ');
}

TEST(KeyTable, AltWithACharacterKeyGivesThatKeysScanCode) {
  EXPECT_EQ(entryOf(PcKey::Q, ALT), ext(16));
  EXPECT_EQ(entryOf(PcKey::P, ALT), ext(25));
  EXPECT_EQ(entryOf(PcKey::A, ALT), ext(30));
  EXPECT_EQ(entryOf(PcKey::L, ALT), ext(38));
  EXPECT_EQ(entryOf(PcKey::Z, ALT), ext(44));
  EXPECT_EQ(entryOf(PcKey::M, ALT), ext(50));
  EXPECT_EQ(entryOf(PcKey::X, RIGHT_ALT), ext(45));
  EXPECT_EQ(entryOf(PcKey::Digit1, ALT), ext(120));
  EXPECT_EQ(entryOf(PcKey::Digit0, ALT), ext(129));
  EXPECT_EQ(entryOf(PcKey::Minus, ALT), ext(130));
  // The position counts, not the layout's letter (a French A sits where the US Q is).
  EXPECT_EQ(translateKeyDown(PcKey::Q, U'a', ALT).entry, ext(16));
  EXPECT_TRUE(translateKeyDown(PcKey::Q, U'q', ALT).swallowsText);
  // Only Right Alt alone with a key that types may be AltGr.
  EXPECT_TRUE(meaningOf(PcKey::Q, RIGHT_ALT).mayBeAltGr);
  EXPECT_FALSE(meaningOf(PcKey::Q, ALT).mayBeAltGr);
  EXPECT_FALSE(meaningOf(PcKey::Q, RIGHT_ALT | CTRL).mayBeAltGr);
  EXPECT_FALSE(meaningOf(PcKey::F4, RIGHT_ALT).mayBeAltGr);
}

TEST(KeyTable, AltEnterSwitchesFullScreenWithoutACode) {
  for (const PcKey enter : {PcKey::Enter, PcKey::KeypadEnter}) {
    const KeyDownMeaning altEnter = meaningOf(enter, ALT);
    EXPECT_TRUE(altEnter.toggleFullScreen);
    EXPECT_EQ(altEnter.entry, -1);
  }
  EXPECT_FALSE(meaningOf(PcKey::Enter).toggleFullScreen);
}

TEST(KeyTable, KeysWithoutACodeGiveNothing) {
  EXPECT_EQ(entryOf(PcKey::Other), -1);
  EXPECT_EQ(entryOf(PcKey::Other, CTRL), -1);
  EXPECT_EQ(entryOf(PcKey::Other, ALT), -1);
  EXPECT_EQ(entryOf(PcKey::Space, ALT), -1);
  // A key that types leaves its character to the text that follows.
  const KeyDownMeaning p = translateKeyDown(PcKey::P, U'p', NONE);
  EXPECT_EQ(p.entry, -1);
  EXPECT_FALSE(p.swallowsText);
}

}  // namespace
}  // namespace kestal
