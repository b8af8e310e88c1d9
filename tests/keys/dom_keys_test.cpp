// The browser's key-downs to key queue entries and the page's default actions.
#include "platform/web/dom_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr int ext(int k) {
  return extendedKey(k);
}

using Entries = std::vector<int>;
Entries entriesOf(const DomKeyDown& keyDown) {
  const KeyEvents events = translateDomKeyDown(keyDown).events;
  return Entries(events.entries.begin(), events.entries.begin() + events.count);
}

TEST(DomKeys, CodesNameThePhysicalKeys) {
  EXPECT_EQ(pcKeyOfDomCode("KeyA"), PcKey::A);
  EXPECT_EQ(pcKeyOfDomCode("KeyZ"), PcKey::Z);
  EXPECT_EQ(pcKeyOfDomCode("Digit1"), PcKey::Digit1);
  EXPECT_EQ(pcKeyOfDomCode("Digit0"), PcKey::Digit0);
  EXPECT_EQ(pcKeyOfDomCode("Numpad0"), PcKey::Keypad0);
  EXPECT_EQ(pcKeyOfDomCode("Numpad9"), PcKey::Keypad9);
  EXPECT_EQ(pcKeyOfDomCode("NumpadEnter"), PcKey::KeypadEnter);
  EXPECT_EQ(pcKeyOfDomCode("F1"), PcKey::F1);
  EXPECT_EQ(pcKeyOfDomCode("F12"), PcKey::F12);
  EXPECT_EQ(pcKeyOfDomCode("Backquote"), PcKey::Grave);
  for (const char* other : {"F13", "F0", "Fn", "Key", "KeyAB", "Keya", "Digit10", "ShiftLeft",
                            "IntlBackslash", "NumpadEqual", ""}) {
    EXPECT_EQ(pcKeyOfDomCode(other), PcKey::Other) << other;
  }
}

TEST(DomKeys, ModifierColumnsFollowTheBiosTable) {
  EXPECT_EQ(entriesOf({.code = "ArrowUp", .key = "ArrowUp", .shift = true}), Entries{ext(72)});
  EXPECT_EQ(entriesOf({.code = "ArrowUp", .key = "ArrowUp", .ctrl = true}), Entries{ext(141)});
  EXPECT_EQ(entriesOf({.code = "ArrowUp", .key = "ArrowUp", .alt = true}), Entries{ext(152)});
  EXPECT_EQ(entriesOf({.code = "F1", .key = "F1", .shift = true}), Entries{ext(84)});
  EXPECT_EQ(entriesOf({.code = "F1", .key = "F1", .ctrl = true, .alt = true}), Entries{ext(104)});
  EXPECT_EQ(entriesOf({.code = "F4", .key = "F4", .alt = true}), Entries{CLOSE_KEY});
  EXPECT_EQ(entriesOf({.code = "KeyQ", .key = "q", .alt = true}), Entries{ext(16)});
  EXPECT_EQ(entriesOf({.code = "Equal", .key = "=", .alt = true}), Entries{ext(131)});
  // Alt goes by the key's place (a French A, a Mac's Option character).
  EXPECT_EQ(entriesOf({.code = "KeyQ", .key = "a", .alt = true}), Entries{ext(16)});
  EXPECT_EQ(entriesOf({.code = "KeyQ", .key = "\xC5\x93", .alt = true}), Entries{ext(16)});
}

TEST(DomKeys, CtrlWithALetterIsAControlCharacter) {
  EXPECT_EQ(entriesOf({.code = "KeyC", .key = "c", .ctrl = true}), Entries{3});
  EXPECT_EQ(entriesOf({.code = "KeyC", .key = "C", .shift = true, .ctrl = true}), Entries{3});
  EXPECT_EQ(entriesOf({.code = "KeyQ", .key = "a", .ctrl = true}), Entries{1});  // layout's
  EXPECT_EQ(entriesOf({.code = "BracketLeft", .key = "[", .ctrl = true}), Entries{27});
  EXPECT_EQ(entriesOf({.code = "Enter", .key = "Enter", .ctrl = true}), Entries{10});
}

TEST(DomKeys, KeypadEditsWithNumLockOffAndTypesWithItOn) {
  EXPECT_EQ(entriesOf({.code = "Numpad8", .key = "ArrowUp"}), Entries{ext(72)});
  EXPECT_EQ(entriesOf({.code = "NumpadDecimal", .key = "Delete"}), Entries{ext(83)});
  EXPECT_EQ(entriesOf({.code = "Numpad8", .key = "8", .numLock = true}), Entries{'8'});
  EXPECT_EQ(entriesOf({.code = "NumpadDecimal", .key = ",", .numLock = true}), Entries{','});
  EXPECT_EQ(entriesOf({.code = "NumpadAdd", .key = "+", .numLock = true}), Entries{'+'});
  EXPECT_EQ(entriesOf({.code = "NumpadAdd", .key = "+", .ctrl = true, .numLock = true}),
            Entries{ext(144)});
  EXPECT_EQ(entriesOf({.code = "NumpadEnter", .key = "Enter"}), Entries{13});
  // Alt with the keypad composes a character on a PC: nothing of its own.
  EXPECT_EQ(entriesOf({.code = "Numpad8", .key = "8", .alt = true, .numLock = true}), Entries{});
}

TEST(DomKeys, CharactersComeFromTheKeyInCodePage437) {
  EXPECT_EQ(entriesOf({.code = "KeyP", .key = "P", .shift = true}), Entries{'P'});
  EXPECT_EQ(entriesOf({.code = "KeyE", .key = "\xC3\xA9"}), Entries{0x82});  // e acute
  EXPECT_EQ(entriesOf({.code = "KeyE", .key = "\xE2\x82\xAC"}), Entries{});  // euro
  EXPECT_EQ(entriesOf({.code = "BracketLeft", .key = "Dead"}), Entries{});   // accent to come
  EXPECT_EQ(entriesOf({.code = "KeyA", .key = "Unidentified"}), Entries{});
  // AltGr types what the layout puts there (a Windows browser adds Ctrl and Alt); typing
  // nothing, it is the Right Alt key.
  EXPECT_EQ(entriesOf({.code = "KeyQ", .key = "@", .ctrl = true, .alt = true, .altGraph = true}),
            Entries{'@'});
  EXPECT_EQ(entriesOf({.code = "KeyE", .key = "\xE2\x82\xAC", .altGraph = true}), Entries{});
  EXPECT_EQ(entriesOf({.code = "KeyE", .key = "Dead", .altGraph = true}), Entries{ext(18)});
  // Held keys: every repeat is a code again.
  EXPECT_EQ(entriesOf({.code = "ArrowUp", .key = "ArrowUp", .repeat = true}), Entries{ext(72)});
  EXPECT_EQ(entriesOf({.code = "KeyA", .key = "a", .repeat = true}), Entries{'a'});
}

TEST(DomKeys, AltEnterTogglesOncePerPress) {
  const DomKeyResult first = translateDomKeyDown({.code = "Enter", .key = "Enter", .alt = true});
  EXPECT_TRUE(first.events.toggleFullScreen);
  EXPECT_EQ(first.events.count, 0u);
  EXPECT_TRUE(first.preventDefault);
  const DomKeyResult held =
      translateDomKeyDown({.code = "Enter", .key = "Enter", .alt = true, .repeat = true});
  EXPECT_FALSE(held.events.toggleFullScreen);
  EXPECT_TRUE(held.preventDefault);
}

TEST(DomKeys, ThePageTakesPlayKeysAndLeavesTheBrowserItsOwn) {
  auto suppressed = [](const DomKeyDown& keyDown) {
    return translateDomKeyDown(keyDown).preventDefault;
  };
  // Typed characters and the keys the game plays with, which would otherwise scroll, move
  // the focus or go back a page.
  for (const DomKeyDown& keyDown : {
           DomKeyDown{.code = "KeyP", .key = "p"},
           DomKeyDown{.code = "KeyP", .key = "P", .shift = true},
           DomKeyDown{.code = "Space", .key = " "},
           DomKeyDown{.code = "Backspace", .key = "Backspace"},
           DomKeyDown{.code = "Tab", .key = "Tab", .shift = true},
           DomKeyDown{.code = "Escape", .key = "Escape"},
           DomKeyDown{.code = "ArrowDown", .key = "ArrowDown"},
           DomKeyDown{.code = "PageDown", .key = "PageDown"},
           DomKeyDown{.code = "Numpad8", .key = "8", .numLock = true},
           DomKeyDown{
               .code = "KeyE", .key = "\xE2\x82\xAC", .ctrl = true, .alt = true, .altGraph = true},
           DomKeyDown{.code = "Enter", .key = "Enter", .alt = true},
       }) {
    EXPECT_TRUE(suppressed(keyDown)) << keyDown.code;
  }
  // Reload, tabs, history, zoom, full screen, help and developer tools: the browser's.
  for (const DomKeyDown& keyDown : {
           DomKeyDown{.code = "F5", .key = "F5"},
           DomKeyDown{.code = "KeyR", .key = "r", .ctrl = true},
           DomKeyDown{.code = "KeyR", .key = "R", .shift = true, .ctrl = true},
           DomKeyDown{.code = "KeyL", .key = "l", .meta = true},
           DomKeyDown{.code = "KeyI", .key = "I", .shift = true, .ctrl = true},
           DomKeyDown{.code = "Tab", .key = "Tab", .ctrl = true},
           DomKeyDown{.code = "ArrowLeft", .key = "ArrowLeft", .alt = true},
           DomKeyDown{.code = "Equal", .key = "=", .ctrl = true},
           DomKeyDown{.code = "Digit0", .key = "0", .ctrl = true},
           DomKeyDown{.code = "F1", .key = "F1"},
           DomKeyDown{.code = "F11", .key = "F11"},
           DomKeyDown{.code = "F12", .key = "F12"},
           DomKeyDown{.code = "ShiftLeft", .key = "Shift", .shift = true},
           DomKeyDown{.code = "Numpad8", .key = "8", .alt = true, .numLock = true},
       }) {
    EXPECT_FALSE(suppressed(keyDown)) << keyDown.code;
  }
}

}  // namespace
}  // namespace kestal
