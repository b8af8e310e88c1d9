#include <png.h>

#include <cstring>

#include "tools/replay/png_file.h"

namespace kestal::replay {

namespace {

std::string writePng(const std::string& path, std::span<const std::uint8_t> pixels, int width,
                     int height, bool alpha) {
  // libpng's simplified interface reports errors through the struct, not longjmp.
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&image, path.c_str(), 0, pixels.data(),
                                         width * (alpha ? 4 : 3), nullptr);
  std::string problem;
  if (ok == 0) problem = "cannot write '" + path + "': " + image.message;
  png_image_free(&image);
  return problem;
}

}  // namespace

std::string writeRgbPng(const std::string& path, std::span<const std::uint8_t> rgb, int width,
                        int height) {
  return writePng(path, rgb, width, height, false);
}

std::string writeRgbaPng(const std::string& path, std::span<const std::uint8_t> rgba, int width,
                         int height) {
  return writePng(path, rgba, width, height, true);
}

}  // namespace kestal::replay
