// Single pixels: the star field and the particles, the hottest calls of a frame.
#include "screen/coordinates.h"
#include "screen/pixel_plotter.h"
#include "screen/screen_state.h"

namespace kestal {
namespace {

// Kept out of line so the common hidden-page path stays a handful of instructions.
[[gnu::noinline]] void plotOnShownPage(int x, int y, std::uint8_t colour) {
  detail::PageWriter writer;
  writer.set(x, y, colour);
}

}  // namespace

void plotPoint(double x, double y, int colour) {
  const std::int64_t px = detail::toPixel(x);
  const std::int64_t py = detail::toPixel(y);
  if (!detail::onScreen(px, py)) return;
  auto& s = detail::screenState();
  if (s.workPage == s.visiblePage) [[unlikely]] {
    plotOnShownPage(static_cast<int>(px), static_cast<int>(py), detail::wrapColour(colour));
    return;
  }
  // The common case in play: a hidden page, no lock (see PageWriter).
  s.pages[static_cast<std::size_t>(s.workPage)][static_cast<std::size_t>(py * SCREEN_WIDTH + px)] =
      detail::wrapColour(colour);
}

int readPoint(double x, double y) {
  const std::int64_t px = detail::toPixel(x);
  const std::int64_t py = detail::toPixel(y);
  if (!detail::onScreen(px, py)) return -1;
  // Only the game thread writes page memory, so reading needs no lock.
  return workPagePixels()[static_cast<std::size_t>(py * SCREEN_WIDTH + px)];
}

std::uint8_t* PixelPlotter::hiddenWorkPage() {
  auto& s = detail::screenState();
  if (s.workPage == s.visiblePage) return nullptr;
  return s.pages[static_cast<std::size_t>(s.workPage)].data();
}

}  // namespace kestal
