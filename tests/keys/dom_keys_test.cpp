// The browser's key-downs to key queue entries and the page's default actions.
#include "screen/web/dom_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "screen/keyboard.h"

namespace kestal {
namespace {

constexpr int ext(int k) {
  return extendedKey(k);
}

DomKeyDown press(std::string_view code, std::string_view key) {
  DomKeyDown keyDown;
  keyDown.code = code;
  keyDown.key = key;
  return keyDown;
}
DomKeyDown withShift(DomKeyDown keyDown) {
  keyDown.shift = true;
  return keyDown;
}
DomKeyDown withCtrl(DomKeyDown keyDown) {
  keyDown.ctrl = true;
  return keyDown;
}
DomKeyDown withAlt(DomKeyDown keyDown) {
  keyDown.alt = true;
  return keyDown;
}
// AltGr as a Windows browser reports it.
DomKeyDown withAltGr(DomKeyDown keyDown) {
  keyDown.altGraph = keyDown.ctrl = keyDown.alt = true;
  return keyDown;
}
DomKeyDown withNumLock(DomKeyDown keyDown) {
  keyDown.numLock = true;
  return keyDown;
}
DomKeyDown repeated(DomKeyDown keyDown) {
  keyDown.repeat = true;
  return keyDown;
}

std::vector<int> entriesOf(const DomKeyDown& keyDown) {
  const KeyEvents events = translateDomKeyDown(keyDown).events;
  return std::vector<int>(events.entries.begin(), events.entries.begin() + events.count);
}
using Entries = std::vector<int>;

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
  EXPECT_EQ(entriesOf(withShift(press("ArrowUp", "ArrowUp"))), Entries{ext(72)});
  EXPECT_EQ(entriesOf(withCtrl(press("ArrowUp", "ArrowUp"))), Entries{ext(141)});
  EXPECT_EQ(entriesOf(withAlt(press("ArrowUp", "ArrowUp"))), Entries{ext(152)});
  EXPECT_EQ(entriesOf(withShift(press("F1", "F1"))), Entries{ext(84)});
  EXPECT_EQ(entriesOf(withCtrl(withAlt(press("F1", "F1")))), Entries{ext(104)});
  EXPECT_EQ(entriesOf(withAlt(press("F4", "F4"))), Entries{CLOSE_KEY});
  EXPECT_EQ(entriesOf(withAlt(press("KeyQ", "q"))), Entries{ext(16)});
  EXPECT_EQ(entriesOf(withAlt(press("Equal", "="))), Entries{ext(131)});
  // Alt goes by the key's place (a French A, a Mac's Option character).
  EXPECT_EQ(entriesOf(withAlt(press("KeyQ", "a"))), Entries{ext(16)});
  EXPECT_EQ(entriesOf(withAlt(press("KeyQ", "\xC5\x93"))), Entries{ext(16)});
}

TEST(DomKeys, CtrlWithALetterIsAControlCharacter) {
  EXPECT_EQ(entriesOf(withCtrl(press("KeyC", "c"))), Entries{3});
  EXPECT_EQ(entriesOf(withShift(withCtrl(press("KeyC", "C")))), Entries{3});
  EXPECT_EQ(entriesOf(withCtrl(press("KeyQ", "a"))), Entries{1});  // the layout's letter
  EXPECT_EQ(entriesOf(withCtrl(press("BracketLeft", "["))), Entries{27});
  EXPECT_EQ(entriesOf(withCtrl(press("Enter", "Enter"))), Entries{10});
}

TEST(DomKeys, KeypadEditsWithNumLockOffAndTypesWithItOn) {
  EXPECT_EQ(entriesOf(press("Numpad8", "ArrowUp")), Entries{ext(72)});
  EXPECT_EQ(entriesOf(press("NumpadDecimal", "Delete")), Entries{ext(83)});
  EXPECT_EQ(entriesOf(withNumLock(press("Numpad8", "8"))), Entries{'8'});
  EXPECT_EQ(entriesOf(withNumLock(press("NumpadDecimal", ","))), Entries{','});
  EXPECT_EQ(entriesOf(withNumLock(press("NumpadAdd", "+"))), Entries{'+'});
  EXPECT_EQ(entriesOf(withCtrl(withNumLock(press("NumpadAdd", "+")))), Entries{ext(144)});
  EXPECT_EQ(entriesOf(press("NumpadEnter", "Enter")), Entries{13});
  // Alt with the keypad composes a character on a PC: nothing of its own.
  EXPECT_EQ(entriesOf(withAlt(withNumLock(press("Numpad8", "8")))), Entries{});
}

TEST(DomKeys, CharactersComeFromTheKeyInCodePage437) {
  EXPECT_EQ(entriesOf(withShift(press("KeyP", "P"))), Entries{'P'});
  EXPECT_EQ(entriesOf(press("KeyE", "\xC3\xA9")), Entries{0x82});  // e acute
  EXPECT_EQ(entriesOf(press("KeyE", "\xE2\x82\xAC")), Entries{});  // euro
  EXPECT_EQ(entriesOf(press("BracketLeft", "Dead")), Entries{});   // an accent to come
  EXPECT_EQ(entriesOf(press("KeyA", "Unidentified")), Entries{});
  // AltGr types what the layout puts there; typing nothing, it is the Right Alt key.
  EXPECT_EQ(entriesOf(withAltGr(press("KeyQ", "@"))), Entries{'@'});
  EXPECT_EQ(entriesOf(withAltGr(press("KeyE", "\xE2\x82\xAC"))), Entries{});
  EXPECT_EQ(entriesOf(withAltGr(press("KeyE", "Dead"))), Entries{ext(18)});
  DomKeyDown linuxAltGr = press("KeyE", "Dead");  // without Ctrl and Alt
  linuxAltGr.altGraph = true;
  EXPECT_EQ(entriesOf(linuxAltGr), Entries{ext(18)});
  // Held keys: every repeat is a code again.
  EXPECT_EQ(entriesOf(repeated(press("ArrowUp", "ArrowUp"))), Entries{ext(72)});
  EXPECT_EQ(entriesOf(repeated(press("KeyA", "a"))), Entries{'a'});
}

TEST(DomKeys, AltEnterTogglesOncePerPress) {
  const DomKeyResult press1 = translateDomKeyDown(withAlt(press("Enter", "Enter")));
  EXPECT_TRUE(press1.events.toggleFullScreen);
  EXPECT_EQ(press1.events.count, 0u);
  EXPECT_TRUE(press1.preventDefault);
  const DomKeyResult held = translateDomKeyDown(repeated(withAlt(press("Enter", "Enter"))));
  EXPECT_FALSE(held.events.toggleFullScreen);
  EXPECT_TRUE(held.preventDefault);
}

TEST(DomKeys, ThePageKeepsOnlyKeysTheGameHasNoUseFor) {
  auto suppressed = [](const DomKeyDown& keyDown) {
    return translateDomKeyDown(keyDown).preventDefault;
  };
  EXPECT_TRUE(suppressed(press("KeyP", "p")));
  EXPECT_TRUE(suppressed(withCtrl(press("KeyR", "r"))));
  EXPECT_TRUE(suppressed(press("F5", "F5")));
  // Keys that scroll or leave the page, even when the game gets nothing from them.
  EXPECT_TRUE(suppressed(withAlt(press("Space", " "))));
  EXPECT_TRUE(suppressed(withAlt(press("ArrowDown", "ArrowDown"))));
  EXPECT_TRUE(suppressed(press("Tab", "Tab")));
  EXPECT_TRUE(suppressed(press("Escape", "Escape")));
  EXPECT_FALSE(suppressed(press("ShiftLeft", "Shift")));
  EXPECT_FALSE(suppressed(press("KeyE", "\xE2\x82\xAC")));
  EXPECT_FALSE(suppressed(press("F13", "F13")));
  EXPECT_FALSE(suppressed(withAlt(withNumLock(press("Numpad8", "8")))));
}

}  // namespace
}  // namespace kestal
