// The page's key-down events, handed over by kestal-page.js, become key queue entries the
// way the desktop's do.
#include <emscripten.h>

#include "platform/web/dom_keys.h"
#include "platform/web/web_session.h"

namespace {

// Modifier bits as kestal-page.js sends them.
constexpr int SHIFT = 1, CTRL = 2, ALT = 4, ALT_GRAPH = 8, NUM_LOCK = 16, META = 32;
// The answer's bits.
constexpr int SUPPRESS_DEFAULT = 1, TOGGLE_FULL_SCREEN = 2;

}  // namespace

// Called synchronously from the page's keydown listener, so that a full-screen request it
// leads to still counts as the player's own gesture.
extern "C" EMSCRIPTEN_KEEPALIVE int kestal_web_key_down(const char* code, const char* key,
                                                        int modifiers, int repeat) {
  const kestal::DomKeyResult result = kestal::translateDomKeyDown({
      .code = code,
      .key = key,
      .shift = (modifiers & SHIFT) != 0,
      .ctrl = (modifiers & CTRL) != 0,
      .alt = (modifiers & ALT) != 0,
      .meta = (modifiers & META) != 0,
      .altGraph = (modifiers & ALT_GRAPH) != 0,
      .numLock = (modifiers & NUM_LOCK) != 0,
      .repeat = repeat != 0,
  });
  for (std::size_t i = 0; i < result.events.count; ++i) kestal::queueKey(result.events.entries[i]);
  return (result.preventDefault ? SUPPRESS_DEFAULT : 0) |
         (result.events.toggleFullScreen ? TOGGLE_FULL_SCREEN : 0);
}
