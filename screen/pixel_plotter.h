// Points at whole-pixel positions, for drawings whose coordinates repeat so often that
// rounding each one once, ahead, pays: the final fireworks round 3 990 rows and 255 000
// columns instead of 2.55 million of each; a star's row serves both of its points.
#pragma once

#include <cstdint>

#include "screen/screen.h"

namespace kestal {

namespace detail {
inline int pixelOrOff(double v, int size) {
  int pixel = -1;
  return onScreenPixel(v, size, pixel) ? pixel : -1;
}
}  // namespace detail

// The column (row) of the pixel plotPoint sets for x (y), or -1 when that is off the screen.
// Inline: the fireworks ask 255 000 times a frame, the star field 8000.
inline int pixelColumn(double x) {
  return detail::pixelOrOff(x, SCREEN_WIDTH);
}
inline int pixelRow(double y) {
  return detail::pixelOrOff(y, SCREEN_HEIGHT);
}

// plotPoint at whole-pixel positions, such as pixelColumn and pixelRow give: a position off
// the screen does nothing, colours wrap modulo 256. Meant for one drawing at a time: the work
// and visible pages must not change while a plotter lives.
class PixelPlotter {
 public:
  PixelPlotter() : hiddenPage_(detail::directWorkPage) {}

  void plot(int column, int row, int colour) {
    if (static_cast<unsigned>(column) >= SCREEN_WIDTH ||
        static_cast<unsigned>(row) >= SCREEN_HEIGHT)
      return;
    if (hiddenPage_ == nullptr) [[unlikely]] {
      // The work page is on display (plotPoint takes the screen lock and marks the row), or
      // the screen keeps no pictures.
      plotPoint(column, row, colour);
      return;
    }
    hiddenPage_[row * SCREEN_WIDTH + column] = static_cast<std::uint8_t>(colour);
  }

  // Where a row starts in the page, for plotAt: -1 for a row off the screen.
  static int rowStart(int row) {
    return static_cast<unsigned>(row) < SCREEN_HEIGHT ? row * SCREEN_WIDTH : -1;
  }
  // plot(column, row, colour) for a column on the screen (0..639) and rowStart(row): the
  // fireworks' 2.55 million points with the least work each.
  void plotAt(int start, int column, int colour) {
    if (start < 0) return;
    if (hiddenPage_ == nullptr) [[unlikely]] {
      plotPoint(column, start / SCREEN_WIDTH, colour);
      return;
    }
    hiddenPage_[start + column] = static_cast<std::uint8_t>(colour);
  }

 private:
  // The work page's pixels while it is hidden (only the game thread touches them then, so
  // they need no lock), or nullptr.
  std::uint8_t* hiddenPage_;
};

}  // namespace kestal
