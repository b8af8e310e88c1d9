#include "xwd_image.h"

#include <bit>

namespace sdltest {

namespace {

// Header fields, each a big-endian 32-bit word.
enum Field {
  HEADER_SIZE = 0,
  FILE_VERSION = 1,
  PIXMAP_FORMAT = 2,
  PIXMAP_WIDTH = 4,
  PIXMAP_HEIGHT = 5,
  IMAGE_BYTE_ORDER = 7,
  BITS_PER_PIXEL = 11,
  BYTES_PER_LINE = 12,
  RED_MASK = 14,
  GREEN_MASK = 15,
  BLUE_MASK = 16,
  COLOUR_COUNT = 19,
  FIELD_COUNT = 25,
};
constexpr std::uint32_t Z_PIXMAP = 2;
constexpr std::size_t COLOUR_ENTRY_BYTES = 12;

std::uint32_t bigEndianWord(const std::string& data, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = value << 8 | static_cast<unsigned char>(data[offset + i]);
  return value;
}

std::uint32_t pixelWord(const std::string& data, std::size_t offset, bool mostSignificantFirst) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t at = mostSignificantFirst ? offset + i : offset + 3 - i;
    value = value << 8 | static_cast<unsigned char>(data[at]);
  }
  return value;
}

int channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  return static_cast<int>((pixel & mask) >> std::countr_zero(mask));
}

}  // namespace

std::optional<XwdImage> XwdImage::parse(const std::string& dump) {
  if (dump.size() < FIELD_COUNT * 4) return std::nullopt;
  const auto field = [&](Field f) { return bigEndianWord(dump, static_cast<std::size_t>(f) * 4); };
  if (field(FILE_VERSION) != 7 || field(PIXMAP_FORMAT) != Z_PIXMAP || field(BITS_PER_PIXEL) != 32) {
    return std::nullopt;
  }
  XwdImage image;
  image.width_ = static_cast<int>(field(PIXMAP_WIDTH));
  image.height_ = static_cast<int>(field(PIXMAP_HEIGHT));
  const std::size_t bytesPerLine = field(BYTES_PER_LINE);
  const std::size_t start = field(HEADER_SIZE) + field(COLOUR_COUNT) * COLOUR_ENTRY_BYTES;
  if (dump.size() < start + bytesPerLine * static_cast<std::size_t>(image.height_)) {
    return std::nullopt;
  }
  const bool mostSignificantFirst = field(IMAGE_BYTE_ORDER) == 1;
  image.pixels_.reserve(static_cast<std::size_t>(image.width_) * image.height_);
  for (int y = 0; y < image.height_; ++y) {
    for (int x = 0; x < image.width_; ++x) {
      const std::uint32_t pixel = pixelWord(
          dump, start + static_cast<std::size_t>(y) * bytesPerLine + x * 4u, mostSignificantFirst);
      image.pixels_.push_back({channel(pixel, field(RED_MASK)), channel(pixel, field(GREEN_MASK)),
                               channel(pixel, field(BLUE_MASK))});
    }
  }
  return image;
}

Colour XwdImage::at(int x, int y) const {
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

std::string describe(const Colour& colour) {
  return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " +
         std::to_string(colour.b) + ")";
}

}  // namespace sdltest
