#include "platform/web/web_key_queue.h"

#include <emscripten.h>

#include "screen/keyboard.h"

namespace {

// Enter is what answers the Delay prompt: from the first one on, a game is under way and
// the page asks before it is left.
EM_JS(void, pageEnterQueued, (), { kestalPage.enterQueued(); });

constexpr int ENTER = 13;
bool enterQueued = false;

}  // namespace

namespace kestal {

void queueKey(int entry) {
  pushKey(entry);
  if (entry == ENTER && !enterQueued) {
    enterQueued = true;
    pageEnterQueued();
  }
}

}  // namespace kestal
