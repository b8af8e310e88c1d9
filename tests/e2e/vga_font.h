// The system's 8 x 16 console font read straight from its file, to know what a text cell
// must look like without asking the game.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "tests/e2e/rgb_image.h"

namespace e2e {

class VgaFont {
 public:
  // A gzip-compressed PSF1 font of 256 glyphs, 8 x 16.
  static std::optional<VgaFont> load(const std::filesystem::path& path);

  // Whether glyph `code` sets pixel (x, y) of its cell; x 0..7 from the left, y 0..15.
  bool inked(std::uint8_t code, int x, int y) const;

 private:
  std::array<std::uint8_t, 256 * 16> rows_{};  // leftmost pixel in bit 7
};

// Paints text cells as a text screen does: glyph pixels in `ink`, the rest black. Rows
// and columns count from 1.
void paintText(RgbImage& image, const VgaFont& font, int row, int column, std::string_view text,
               Rgb ink);

}  // namespace e2e
