#include "tools/replay/png_frame.h"

#include <png.h>

#include <cstdio>
#include <cstring>

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

  // libpng's simplified interface reports errors through the struct, not longjmp.
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = SCREEN_WIDTH;
  image.height = SCREEN_HEIGHT;
  image.format = PNG_FORMAT_RGB;
  const int ok =
      png_image_write_to_file(&image, path.c_str(), 0, rgb_.data(), SCREEN_WIDTH * 3, nullptr);
  std::string problem;
  if (ok == 0) problem = "cannot write '" + path + "': " + image.message;
  png_image_free(&image);
  return problem;
}

std::string pngFramePath(const std::string& dir, std::uint64_t retrace) {
  char name[40];
  std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(retrace));
  return dir + "/" + name;
}

}  // namespace kestal::replay
