// From the caller's real coordinates to pixels. Internal to the screen service.
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

// Narrows to float, then rounds half away from zero (2.5 -> 3, -2.5 -> -3). Values beyond
// FAR_COORDINATE are clamped to it; NaN gives NAN_PIXEL.
inline std::int64_t toPixel(double value) {
  if (std::isnan(value)) return NAN_PIXEL;
  if (value > FAR_COORDINATE) value = FAR_COORDINATE;
  if (value < -FAR_COORDINATE) value = -FAR_COORDINATE;
  const float narrowed = static_cast<float>(value);
  // Truncation plus an exact fraction test: adding 0.5f first would round 0.49999997f up.
  const auto whole = static_cast<std::int64_t>(narrowed);
  const float fraction = narrowed - static_cast<float>(whole);
  if (fraction >= 0.5f) return whole + 1;
  if (fraction <= -0.5f) return whole - 1;
  return whole;
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
