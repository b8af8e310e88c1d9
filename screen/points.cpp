// Single pixels: the star field and the particles, the hottest calls of a frame. The common
// case is inline (screen.h); here the rest.
#include "screen/coordinates.h"
#include "screen/pixel_plotter.h"
#include "screen/screen_state.h"

namespace kestal {

// The work page on display (the lock, a marked row), or no pictures (nothing).
void detail::plotPointTheLongWay(double x, double y, int colour) {
  if (!detail::drawing()) return;
  const std::int64_t px = detail::toPixel(x);
  const std::int64_t py = detail::toPixel(y);
  if (!detail::onScreen(px, py)) return;
  detail::PageWriter writer;
  writer.set(static_cast<int>(px), static_cast<int>(py), detail::wrapColour(colour));
}

int readPoint(double x, double y) {
  const std::int64_t px = detail::toPixel(x);
  const std::int64_t py = detail::toPixel(y);
  if (!detail::onScreen(px, py)) return -1;
  if (!detail::drawing()) return 0;
  // Only the game thread writes page memory, so reading needs no lock.
  return workPagePixels()[static_cast<std::size_t>(py * SCREEN_WIDTH + px)];
}

}  // namespace kestal
