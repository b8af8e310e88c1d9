#include "screen/display_backend.h"

#include <atomic>

namespace kestal {
namespace {
std::atomic<DisplayBackend*> installed{nullptr};
}  // namespace

void setDisplayBackend(DisplayBackend* backend) {
  installed.store(backend);
}

DisplayBackend& displayBackend() {
  DisplayBackend* backend = installed.load();
  return backend != nullptr ? *backend : fallbackDisplayBackend();
}

}  // namespace kestal
