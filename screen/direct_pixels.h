// The inline part of plotPoint: the star field and the particles plot some 16 000 points a
// frame, so the common case (a hidden work page) is a few instructions where it is called.
// Included by screen.h; internal to the screen service otherwise.
#pragma once

#include <cstdint>

namespace kestal::detail {

// The work page's pixels while plotPoint may write them straight away: pictures are kept and
// the work page is hidden, so no other thread reads it and no row needs marking. nullptr
// otherwise (the page on display, or no pictures), and plotPoint takes the long way.
extern std::uint8_t* directWorkPage;

void plotPointTheLongWay(double x, double y, int colour);

// The pixel plotPoint sets for coordinate v along a side of `size` pixels, if it is on the
// screen. The caller's double is narrowed to float and rounded half away from zero; on the
// screen means -0.5 < narrowed < size - 0.5, and there the rounding is a truncation of
// narrowed + 0.5 (exact: a float below 640 in magnitude plus one half fits in a double).
// NaN and far values fail the test before any conversion to an integer.
inline bool onScreenPixel(double v, int size, int& pixel) {
  const double narrowed = static_cast<double>(static_cast<float>(v));
  if (!(narrowed > -0.5 && narrowed < size - 0.5)) return false;
  pixel = static_cast<int>(narrowed + 0.5);
  return true;
}

}  // namespace kestal::detail
