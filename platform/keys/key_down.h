// The PC BIOS keyboard table: what a key-down means to the game, the way a PC keyboard
// reports it. Characters come as code page 437 bytes, keys without one (and anything held
// with Alt) as extended codes, Alt+F4 as CLOSE_KEY.
#pragma once

#include "platform/keys/cp437.h"
#include "platform/keys/pc_key.h"

namespace kestal {

// What one key-down means on its own, before any text the platform sends for it.
struct KeyDownMeaning {
  int entry = -1;                 // key queue entry, or -1 for none
  bool swallowsText = false;      // the text that follows this key is not a character here
  bool toggleFullScreen = false;  // Alt+Enter
  // Right Alt alone with a key that types: on many layouts that is AltGr, which types a
  // character of its own instead (the text that follows tells).
  bool mayBeAltGr = false;
};

// `symbol` is what the key types on its own on the player's layout (lower case for a
// letter), or 0 when it types nothing or the platform cannot tell: Ctrl goes by the
// layout's letter, everything else by the key's place.
KeyDownMeaning translateKeyDown(PcKey key, char32_t symbol, KeyModifiers modifiers);

// The AltGr guess settled: whether a Right Alt press typed what the key types anyway
// (plain Alt on this layout) rather than a character of its own (AltGr).
bool rightAltTypedItsOwnCharacter(const Cp437Text<TYPED_TEXT_CAPACITY>& text, char32_t symbol,
                                  bool shifted);

}  // namespace kestal
