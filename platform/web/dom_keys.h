// The browser's key-downs, turned into key queue entries through the shared PC key table,
// so that the page gives the game the same codes the desktop window does. Plain C++: the
// browser back end fills DomKeyDown from its KeyboardEvent.
#pragma once

#include <string_view>

#include "platform/keys/key_events.h"
#include "platform/keys/pc_key.h"

namespace kestal {

// The physical key of a KeyboardEvent.code ("KeyA", "Digit1", "BracketLeft", "ArrowUp",
// "Numpad8", "NumpadEnter", "F1"); PcKey::Other for a code the table has no row for.
PcKey pcKeyOfDomCode(std::string_view code);

// One key-down as the browser reports it.
struct DomKeyDown {
  std::string_view code;  // KeyboardEvent.code: where the key is
  // KeyboardEvent.key in UTF-8: the character the key types, or a name ("Enter", "Shift",
  // "Dead", "Unidentified").
  std::string_view key;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool meta = false;      // the Command or Windows key
  bool altGraph = false;  // getModifierState("AltGraph")
  bool numLock = false;   // getModifierState("NumLock")
  bool repeat = false;
};

struct DomKeyResult {
  KeyEvents events;  // the entries to push, and Alt+Enter's full-screen request
  // The browser must not act on the key itself: a character typed or a key the game plays
  // with, without Ctrl, Alt or Meta. Keys with a browser meaning a player may want (reload,
  // tabs, history, zoom, developer tools) keep it, and still reach the game. A suppressed
  // key-down gets no character event after it.
  bool preventDefault = false;
};

// In the browser the key-down decides everything: a character comes from `key` itself.
DomKeyResult translateDomKeyDown(const DomKeyDown& keyDown);

}  // namespace kestal
