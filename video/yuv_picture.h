// A page of palette indices as one 4:2:0 video frame: scaled by nearest neighbour to the
// video's size and converted through the palette with BT.709's limited-range matrix, the
// tags every player assumes for video of this size.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "screen/screen.h"
#include "screen/screen_access.h"
#include "video/video_format.h"

namespace kestal::video {

inline constexpr int CHROMA_WIDTH = VIDEO_WIDTH / 2;
inline constexpr int CHROMA_HEIGHT = VIDEO_HEIGHT / 2;
inline constexpr std::size_t LUMA_BYTES = std::size_t{VIDEO_WIDTH} * VIDEO_HEIGHT;
inline constexpr std::size_t CHROMA_BYTES = std::size_t{CHROMA_WIDTH} * CHROMA_HEIGHT;

// The screen row shown on video row `row`: the one under the row's centre, as every nearest-
// neighbour scaler samples (FFmpeg's and the browsers' alike), so rows come 2, 3, 2, 3, 2.
constexpr int sourceRow(int row) { return (2 * row + 1) * SCREEN_HEIGHT / (2 * VIDEO_HEIGHT); }

struct Yuv {
  std::uint8_t y, u, v;
};
Yuv toYuv(const Rgb& colour);

class YuvPicture {
 public:
  YuvPicture() : planes_(LUMA_BYTES + 2 * CHROMA_BYTES) {}

  void draw(std::span<const std::uint8_t, PAGE_BYTES> pixels, const Palette& palette);

  // Y, then U, then V, each row after row without padding (I420).
  std::span<const std::uint8_t> planes() const { return planes_; }

 private:
  void convertPalette(const Palette& palette);

  std::vector<std::uint8_t> planes_;
  std::array<Yuv, 256> colours_{};
  Palette convertedPalette_{};
  bool converted_ = false;
};

}  // namespace kestal::video
