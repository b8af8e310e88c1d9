#include "platform/headless/headless_display.h"

#include "screen/program.h"
#include "screen/random.h"

namespace kestal {

int HeadlessDisplay::run(const std::function<void()>& game) {
  resetRandom();
  retraces_ = 0;
  try {
    game();
  } catch (const ProgramExit& exit) {
    return exit.code;
  }
  return 0;
}

void HeadlessDisplay::open() {
  if (hooks_.onOpen) hooks_.onOpen();
}

void HeadlessDisplay::waitRetrace() {
  ++retraces_;
  if (hooks_.onRetrace) hooks_.onRetrace(retraces_);
}

void HeadlessDisplay::emptyPoll() {
  if (hooks_.onEmptyPoll) hooks_.onEmptyPoll();
}

}  // namespace kestal
