// Keyboard and window events of the screen window, turned into key queue entries: SDL's
// keys and modifiers are mapped to the shared PC key table, and the event stream decides
// whether the text SDL sends after a key-down counts.
#pragma once

#include <SDL.h>

#include <optional>

#include "platform/keys/key_down.h"
#include "platform/keys/key_events.h"

namespace kestal {

// The table's meaning of an SDL key-down.
KeyDownMeaning translateKeyDown(const SDL_Keysym& key);

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
    char32_t symbol;  // what the key types on its own
    bool shifted;
  };
  void settleRightAlt(const char* utf8, KeyEvents& result);

  std::optional<PendingRightAlt> pendingRightAlt_;
  bool swallowText_ = false;
  // SDL may follow a window's close request with a quit event: one press, one code.
  bool quitEchoesClose_ = false;
};

}  // namespace kestal
