#include "tests/e2e/rgb_image.h"

#include <png.h>

#include <cstring>

namespace e2e {

std::string describe(const Rgb& colour) {
  return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " +
         std::to_string(colour.b) + ")";
}

std::optional<RgbImage> loadPng(const std::filesystem::path& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) == 0) return std::nullopt;
  RgbImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  const std::uint8_t* p = bytes.data();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x, p += 3) image.set(x, y, {p[0], p[1], p[2]});
  }
  return image;
}

bool savePng(const std::filesystem::path& path, const RgbImage& image) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(image.width()) * image.height() * 3);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.at(x, y);
      bytes.insert(bytes.end(), {c.r, c.g, c.b});
    }
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width());
  png.height = static_cast<png_uint_32>(image.height());
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

}  // namespace e2e
