// The visible page as display pixels: palette indices turned into 32-bit ARGB colours, with
// the rows that still have to reach the display texture.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "screen/screen_access.h"

namespace kestal {

class PictureBuffer {
 public:
  // Black, as a freshly opened screen is, and all rows still to be uploaded.
  PictureBuffer();

  // Takes in what collectChanges gathered: the changed rows, or every row when the palette
  // changed (a palette change recolours what is already on display).
  void apply(const PresentedFrame& frame);

  // Calls upload(firstRow, rowCount, pixels) for each run of rows not yet uploaded and
  // forgets them; pixels point at the first row, SCREEN_WIDTH colours per row.
  template <typename Upload>
  void uploadDirtyRows(Upload&& upload) {
    int y = 0;
    while (y < SCREEN_HEIGHT) {
      if (!dirty_[y]) {
        ++y;
        continue;
      }
      const int first = y;
      while (y < SCREEN_HEIGHT && dirty_[y]) ++y;
      upload(first, y - first, pixels_.data() + first * SCREEN_WIDTH);
    }
    dirty_.reset();
  }

  // The display lost its copy: everything goes up again.
  void markAllDirty() { dirty_.set(); }
  bool hasDirtyRows() const { return dirty_.any(); }

  std::uint32_t pixel(int x, int y) const { return pixels_[y * SCREEN_WIDTH + x]; }

 private:
  void setPalette(const Palette& palette);
  void convertRow(const PresentedFrame& frame, int y);

  std::array<std::uint32_t, 256> colours_{};
  std::vector<std::uint32_t> pixels_;
  std::bitset<SCREEN_HEIGHT> dirty_;
};

// 0xAARRGGBB, opaque: the layout of SDL_PIXELFORMAT_ARGB8888.
constexpr std::uint32_t argbOf(const Rgb& colour) {
  return 0xFF000000u | static_cast<std::uint32_t>(colour.r) << 16 |
         static_cast<std::uint32_t>(colour.g) << 8 | colour.b;
}

}  // namespace kestal
