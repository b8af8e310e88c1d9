// Linked by programs that choose the headless back end as their fallback: until an entry
// point installs a back end, the screen keeps its pages in memory and never waits.
#include "platform/headless/headless_display.h"
#include "screen/display_backend.h"

namespace kestal {

DisplayBackend& fallbackDisplayBackend() {
  static HeadlessDisplay fallback;
  return fallback;
}

}  // namespace kestal
