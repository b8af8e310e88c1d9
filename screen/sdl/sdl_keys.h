// Keyboard and window events of the screen window, turned into key queue entries the way a
// PC keyboard reports them: characters in code page 437, other keys (and anything held with
// Alt) as BIOS extended codes, the close request as CLOSE_KEY.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <optional>

#include "screen/sdl/sdl_text.h"

namespace kestal {

// What one key-down means on its own, before any text event that follows it.
struct KeyDownMeaning {
  int entry = -1;                 // key queue entry, or -1 for none
  bool swallowsText = false;      // the text SDL sends for this key is not a character here
  bool toggleFullScreen = false;  // Alt+Enter
  // Right Alt alone with a key that types: on many layouts that is AltGr, which types a
  // character of its own instead (the text that follows tells).
  bool mayBeAltGr = false;
};
KeyDownMeaning translateKeyDown(const SDL_Keysym& key);

// The entries and window actions one event gives.
struct KeyEvents {
  std::array<int, TYPED_TEXT_CAPACITY> entries{};
  std::size_t count = 0;
  bool toggleFullScreen = false;

  void add(int entry) {
    if (count < entries.size()) entries[count++] = entry;
  }
};

// Follows the event stream: SDL sends a key-down and then, for a key that types, a text
// event; whether that text counts depends on the key-down before it.
class KeyTranslator {
 public:
  KeyEvents translate(const SDL_Event& event);
  // The end of a batch of events: a Right Alt press still waiting for its text got none,
  // so it was an Alt key after all.
  KeyEvents flush();

 private:
  struct PendingRightAlt {
    int altEntry;
    SDL_Keycode symbol;  // what the key types on its own
    bool shifted;
  };
  void settleRightAlt(const char* utf8, KeyEvents& result);

  std::optional<PendingRightAlt> pendingRightAlt_;
  bool swallowText_ = false;
  // SDL may follow a window's close request with a quit event: one press, one code.
  bool quitEchoesClose_ = false;
};

}  // namespace kestal
