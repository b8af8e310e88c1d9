// Saving a picture as a PNG file: through libpng natively, through Node.js's own zlib in the
// WebAssembly build (which has no libpng).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestal::replay {

// Writes `rgb` (height rows of width 8-bit RGB pixels, top row first) to `path` as a PNG;
// returns the problem ("cannot write 'PATH': REASON"), or "" on success.
std::string writeRgbPng(const std::string& path, std::span<const std::uint8_t> rgb, int width,
                        int height);
// The same with an alpha byte after each pixel's blue.
std::string writeRgbaPng(const std::string& path, std::span<const std::uint8_t> rgba, int width,
                         int height);

}  // namespace kestal::replay
