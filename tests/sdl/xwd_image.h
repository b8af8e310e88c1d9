// Screenshots as xwd writes them (X Window Dump, TrueColor ZPixmap), read into RGB.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sdltest {

struct Colour {
  int r, g, b;
  friend bool operator==(const Colour&, const Colour&) = default;
};

class XwdImage {
 public:
  // nullopt when the dump is not a 32-bit TrueColor picture.
  static std::optional<XwdImage> parse(const std::string& dump);

  int width() const { return width_; }
  int height() const { return height_; }
  Colour at(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
};

std::string describe(const Colour& colour);

}  // namespace sdltest
