// The picture as a canvas wants it: the visible page turned into RGBA through the palette,
// only where something changed since the last frame.
#pragma once

#include <array>
#include <cstdint>

#include "screen/screen.h"
#include "screen/screen_access.h"

namespace kestal {

class WebPicture {
 public:
  // Rows first..last (inclusive) of `rgba()` changed; empty when first > last.
  struct ChangedRows {
    int first = SCREEN_HEIGHT;
    int last = -1;
    bool empty() const { return first > last; }
  };

  // Brings the RGBA copy up to date with the screen (taking the screen lock briefly).
  ChangedRows update();

  // 640 x 400 pixels, 4 bytes each in the order red, green, blue, alpha.
  const std::uint8_t* rgba() const { return reinterpret_cast<const std::uint8_t*>(rgba_.data()); }

 private:
  void convertRow(int y);
  void rebuildColours();

  PresentedFrame frame_;
  std::array<std::uint32_t, 256> colours_{};  // palette entries as RGBA words
  std::array<std::uint32_t, PAGE_BYTES> rgba_{};
};

}  // namespace kestal
