// Pictures of single frames: the palette indices of a page turned into RGB through the
// palette the display uses, saved as PNG.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "screen/screen.h"
#include "screen/screen_access.h"

namespace kestal::replay {

class PngFrameWriter {
 public:
  PngFrameWriter() : rgb_(static_cast<std::size_t>(PAGE_BYTES) * 3) {}

  // Writes a 640 x 400 8-bit RGB PNG; returns the problem, or "" on success.
  std::string write(const std::string& path, std::span<const std::uint8_t, PAGE_BYTES> pixels,
                    const Palette& palette);

 private:
  std::vector<std::uint8_t> rgb_;  // reused: pictures are taken during the run
};

// "DIR/frame-NNNNNN.png", six digits or more.
std::string pngFramePath(const std::string& dir, std::uint64_t retrace);

}  // namespace kestal::replay
