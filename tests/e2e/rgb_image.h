// Pictures as the player sees them: 8-bit red, green, blue per pixel.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool black() const { return r == 0 && g == 0 && b == 0; }
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::string describe(const Rgb& colour);

class RgbImage {
 public:
  RgbImage() = default;
  RgbImage(int width, int height) : width_(width), height_(height), pixels_(area()) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb at(int x, int y) const { return pixels_[index(x, y)]; }
  void set(int x, int y, Rgb colour) { pixels_[index(x, y)] = colour; }
  friend bool operator==(const RgbImage&, const RgbImage&) = default;

 private:
  std::size_t area() const { return static_cast<std::size_t>(width_) * height_; }
  std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

std::optional<RgbImage> loadPng(const std::filesystem::path& path);
bool savePng(const std::filesystem::path& path, const RgbImage& image);

}  // namespace e2e
