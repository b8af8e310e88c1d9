// drawCircle: the ellipse outline, stepped in single precision and integers so every
// mine ring comes out pixel for pixel the same.
#include <algorithm>
#include <cmath>

#include "screen/coordinates.h"
#include "screen/screen_state.h"

namespace kestal {
namespace {

// Beyond this the outline cannot be placed meaningfully in single precision, and the
// integer terms below would approach the int64 range. The game's radii are below 100.
constexpr double MAX_RADIUS = 65536.0;

std::int64_t truncFloat(float v) {
  return detail::truncToInt(static_cast<double>(v));
}

}  // namespace

void drawCircle(double x, double y, double radius, int colour) {
  if (!detail::drawing()) return;
  if (std::isnan(x) || std::isnan(y) || !(std::fabs(radius) <= MAX_RADIUS)) return;
  const std::uint8_t c = detail::wrapColour(colour);
  const std::int64_t cx = detail::toPixel(x);
  const std::int64_t cy = detail::toPixel(y);
  const float rx = static_cast<float>(radius);
  const float ry = rx * DEFAULT_ASPECT;

  std::int64_t xl = truncFloat(static_cast<float>(cx) - rx);
  std::int64_t xr = truncFloat(static_cast<float>(cx) + rx);
  // The outline only ever moves inward from these two columns.
  if (std::max(xl, xr) < 0 || std::min(xl, xr) >= SCREEN_WIDTH) return;

  detail::PageWriter writer;
  writer.setIfOnScreen(xl, cy, c);
  writer.setIfOnScreen(xr, cy, c);
  if (ry == 0.0f) {
    for (std::int64_t px = xl; px <= xr; ++px) writer.setIfOnScreen(px, cy, c);
    return;
  }

  const std::int64_t ryTrunc = truncFloat(ry * ry);
  const std::int64_t a = 2 * truncFloat(rx * rx);
  const std::int64_t b = 2 * ryTrunc;
  std::int64_t g = truncFloat(static_cast<float>(ryTrunc) * rx);
  std::int64_t d = 2 * g;
  std::int64_t t = 0;
  std::int64_t n = truncFloat(rx);
  std::int64_t yDown = cy;
  std::int64_t yUp = cy;
  while (n > 0) {
    bool stepX = true;
    if (g > 0) {
      ++yDown;
      --yUp;
      t += a;
      g -= t;
      stepX = g <= 0;
    }
    if (stepX) {
      ++xl;
      --xr;
      --n;
      d -= b;
      g += d;
    }
    writer.setIfOnScreen(xl, yDown, c);
    writer.setIfOnScreen(xr, yDown, c);
    writer.setIfOnScreen(xl, yUp, c);
    writer.setIfOnScreen(xr, yUp, c);
  }
}

}  // namespace kestal
