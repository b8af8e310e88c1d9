// Reading back the pictures the replay writes.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kestal::replay::test_support {

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t format = 0;       // as stored in the file
  std::vector<std::uint8_t> rgb;  // converted to 8-bit RGB
};

inline DecodedPng decodePng(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  DecodedPng decoded;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return decoded;
  decoded.width = image.width;
  decoded.height = image.height;
  decoded.format = image.format;
  image.format = PNG_FORMAT_RGB;
  decoded.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr) == 0) {
    decoded.rgb.clear();
  }
  return decoded;
}

}  // namespace kestal::replay::test_support
