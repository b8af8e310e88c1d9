#include "video/yuv_picture.h"

#include <cmath>
#include <cstring>

namespace kestal::video {
namespace {

std::uint8_t limitedRange(double level, double offset, double scale) {
  return static_cast<std::uint8_t>(std::lround(offset + scale * level));
}

static_assert(VIDEO_WIDTH == 2 * SCREEN_WIDTH, "a chroma sample spans exactly one pixel across");

}  // namespace

Yuv toYuv(const Rgb& colour) {
  const double r = colour.r / 255.0;
  const double g = colour.g / 255.0;
  const double b = colour.b / 255.0;
  const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  return {limitedRange(luma, 16, 219), limitedRange((b - luma) / 1.8556, 128, 224),
          limitedRange((r - luma) / 1.5748, 128, 224)};
}

void YuvPicture::convertPalette(const Palette& palette) {
  if (converted_ && palette == convertedPalette_) return;
  for (std::size_t index = 0; index < palette.size(); ++index) colours_[index] = toYuv(palette[index]);
  convertedPalette_ = palette;
  converted_ = true;
}

void YuvPicture::draw(std::span<const std::uint8_t, PAGE_BYTES> pixels, const Palette& palette) {
  convertPalette(palette);
  std::uint8_t* const luma = planes_.data();
  std::uint8_t* const blue = luma + LUMA_BYTES;
  std::uint8_t* const red = blue + CHROMA_BYTES;

  // Each screen row is widened once; the video rows that show it again are copies.
  int widened = -1;
  for (int row = 0; row < VIDEO_HEIGHT; ++row) {
    std::uint8_t* out = luma + std::size_t{VIDEO_WIDTH} * row;
    const int source = sourceRow(row);
    if (source == widened) {
      std::memcpy(out, out - VIDEO_WIDTH, VIDEO_WIDTH);
      continue;
    }
    const std::uint8_t* in = pixels.data() + std::size_t{SCREEN_WIDTH} * source;
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const std::uint8_t y = colours_[in[x]].y;
      out[2 * x] = y;
      out[2 * x + 1] = y;
    }
    widened = source;
  }

  // A chroma row covers two video rows; where they show different screen rows, the two
  // colours are averaged as 4:2:0 must.
  for (int row = 0; row < CHROMA_HEIGHT; ++row) {
    const std::uint8_t* upper = pixels.data() + std::size_t{SCREEN_WIDTH} * sourceRow(2 * row);
    const std::uint8_t* lower = pixels.data() + std::size_t{SCREEN_WIDTH} * sourceRow(2 * row + 1);
    std::uint8_t* u = blue + std::size_t{CHROMA_WIDTH} * row;
    std::uint8_t* v = red + std::size_t{CHROMA_WIDTH} * row;
    for (int x = 0; x < CHROMA_WIDTH; ++x) {
      const Yuv& a = colours_[upper[x]];
      const Yuv& b = colours_[lower[x]];
      u[x] = static_cast<std::uint8_t>((a.u + b.u + 1) / 2);
      v[x] = static_cast<std::uint8_t>((a.v + b.v + 1) / 2);
    }
  }
}

}  // namespace kestal::video
