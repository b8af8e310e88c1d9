// From the caller's real coordinates to pixels. Internal to the screen service, which offers the
// rounding to the game as pixelColumn and pixelRow (pixel_plotter.h).
#pragma once

#include <cmath>
#include <cstdint>

namespace kestal::detail {

// Coordinates further out than this are as good as infinitely far off the screen. Within
// it every value survives float narrowing and all the clipping arithmetic in 64-bit
// integers and doubles exactly.
inline constexpr double FAR_COORDINATE = 1073741824.0;  // 2^30
// Where NaN ends up: off the screen in every direction that matters to a single point.
inline constexpr std::int64_t NAN_PIXEL = -(std::int64_t{1} << 32);

// Values beyond FAR_COORDINATE (kept out of line: the hot path never goes there).
inline std::int64_t farPixel(double value) {
  if (std::isnan(value)) return NAN_PIXEL;
  return value > 0 ? static_cast<std::int64_t>(FAR_COORDINATE)
                   : -static_cast<std::int64_t>(FAR_COORDINATE);
}

// Narrows to float, then rounds half away from zero (2.5 -> 3, -2.5 -> -3). Values beyond
// FAR_COORDINATE are clamped to it; NaN gives NAN_PIXEL.
inline std::int64_t toPixel(double value) {
  if (!(std::fabs(value) <= FAR_COORDINATE)) [[unlikely]]
    return farPixel(value);
  // Branch-free (star positions have random fractions, so a branch would mispredict half
  // the time). The narrowed value is exact in double and has at most 24 significant bits,
  // so adding one half cannot round across an integer: truncating the sum rounds half away
  // from zero exactly, 0.49999997f included.
  const double narrowed = static_cast<double>(static_cast<float>(value));
  return static_cast<std::int64_t>(narrowed + std::copysign(0.5, narrowed));
}

// trunc toward zero into an integer, for values the clipper and the ellipse produce; kept
// far inside the int64 range so a stray infinity cannot make the conversion undefined.
inline std::int64_t truncToInt(double value) {
  constexpr double LIMIT = 4611686018427387904.0;  // 2^62
  if (std::isnan(value)) return 0;
  if (value > LIMIT) value = LIMIT;
  if (value < -LIMIT) value = -LIMIT;
  return static_cast<std::int64_t>(value);
}

}  // namespace kestal::detail
