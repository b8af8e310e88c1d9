#include "tools/replay/png_frame.h"

#include <cstdio>

#include "tools/replay/png_file.h"

namespace kestal::replay {

std::string PngFrameWriter::write(const std::string& path,
                                  std::span<const std::uint8_t, PAGE_BYTES> pixels,
                                  const Palette& palette) {
  std::uint8_t* rgb = rgb_.data();
  for (std::uint8_t index : pixels) {
    const Rgb& colour = palette[index];
    *rgb++ = colour.r;
    *rgb++ = colour.g;
    *rgb++ = colour.b;
  }
  return writeRgbPng(path, rgb_, SCREEN_WIDTH, SCREEN_HEIGHT);
}

std::string pngFramePath(const std::string& dir, std::uint64_t retrace) {
  char name[40];
  std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(retrace));
  return dir + "/" + name;
}

}  // namespace kestal::replay
