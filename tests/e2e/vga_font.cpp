#include "tests/e2e/vga_font.h"

#include <zlib.h>

namespace e2e {

namespace {

constexpr int GLYPH_ROWS = 16;
constexpr unsigned char PSF1_MAGIC[2] = {0x36, 0x04};

}  // namespace

std::optional<VgaFont> VgaFont::load(const std::filesystem::path& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  unsigned char header[4] = {};
  VgaFont font;
  const bool read =
      gzread(file, header, sizeof header) == sizeof header && header[0] == PSF1_MAGIC[0] &&
      header[1] == PSF1_MAGIC[1] && header[3] == GLYPH_ROWS &&
      gzread(file, font.rows_.data(), font.rows_.size()) == static_cast<int>(font.rows_.size());
  gzclose(file);
  if (!read) return std::nullopt;
  return font;
}

bool VgaFont::inked(std::uint8_t code, int x, int y) const {
  return (rows_[static_cast<std::size_t>(code) * GLYPH_ROWS + y] & (0x80 >> x)) != 0;
}

void paintText(RgbImage& image, const VgaFont& font, int row, int column, std::string_view text,
               Rgb ink) {
  const int top = 16 * (row - 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int left = 8 * (column - 1 + static_cast<int>(i));
    const auto code = static_cast<std::uint8_t>(text[i]);
    for (int y = 0; y < GLYPH_ROWS; ++y) {
      for (int x = 0; x < 8; ++x) {
        image.set(left + x, top + y, font.inked(code, x, y) ? ink : Rgb{});
      }
    }
  }
}

}  // namespace e2e
