#include "screen/display_backend.h"

#include <atomic>

#include "screen/headless/headless_display.h"

namespace kestal {
namespace {
std::atomic<DisplayBackend*> installed{nullptr};
}  // namespace

void setDisplayBackend(DisplayBackend* backend) {
  installed.store(backend);
}

DisplayBackend& displayBackend() {
  // Without an entry point's choice (tests, tools) the screen works headless.
  static HeadlessDisplay fallback;
  DisplayBackend* backend = installed.load();
  return backend != nullptr ? *backend : fallback;
}

}  // namespace kestal
