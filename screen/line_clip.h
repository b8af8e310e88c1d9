// Line clipping, kept apart from drawing so its integer rules can be checked directly.
#pragma once

#include <cstdint>

namespace kestal::detail {

struct PixelLine {
  std::int64_t x1, y1, x2, y2;
};

// Outcode clipping against the screen. Moves the outside end point(s) onto the edges they
// cross; the end points may come back exchanged (the raster direction follows them).
// Returns false when nothing of the line is on the screen.
bool clipLine(PixelLine& line);

struct RealLine {
  double x1, y1, x2, y2;
};

// Converts a caller's line to pixels. End points beyond the far-coordinate limit (or
// infinite) are first moved along the line to that limit, so the slope survives; lines
// within it are converted unchanged. Returns false for NaN or a line that lies wholly
// beyond the limit.
bool toPixelLine(RealLine line, PixelLine& pixels);

}  // namespace kestal::detail
