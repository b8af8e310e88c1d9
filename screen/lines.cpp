// drawLine: lines, boxes and filled boxes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "screen/coordinates.h"
#include "screen/line_clip.h"
#include "screen/screen_state.h"

namespace kestal {
namespace {

using detail::PageWriter;
using detail::PixelLine;

int narrow(std::int64_t v) {
  return static_cast<int>(v);
}

void rasterise(const PixelLine& l, std::uint8_t colour, PageWriter& writer) {
  int x = narrow(l.x1), y = narrow(l.y1);
  const int x2 = narrow(l.x2), y2 = narrow(l.y2);
  if (x == x2) {
    for (int row = std::min(y, y2); row <= std::max(y, y2); ++row) writer.set(x, row, colour);
    return;
  }
  if (y == y2) {
    for (int col = std::min(x, x2); col <= std::max(x, x2); ++col) writer.set(col, y, colour);
    return;
  }
  const int dx = std::abs(x2 - x), dy = std::abs(y2 - y);
  const int sx = x2 > x ? 1 : -1, sy = y2 > y ? 1 : -1;
  if (dx >= dy) {
    int d = 2 * dy - dx;
    for (int i = 0; i <= dx; ++i) {
      writer.set(x, y, colour);
      if (d >= 0) {
        y += sy;
        d -= 2 * dx;
      }
      d += 2 * dy;
      x += sx;
    }
  } else {
    int d = 2 * dx - dy;
    for (int i = 0; i <= dy; ++i) {
      writer.set(x, y, colour);
      if (d >= 0) {
        x += sx;
        d -= 2 * dy;
      }
      d += 2 * dx;
      y += sy;
    }
  }
}

void drawStraightLine(double x1, double y1, double x2, double y2, std::uint8_t colour) {
  PixelLine line{};
  if (!detail::toPixelLine({x1, y1, x2, y2}, line)) return;
  if (!detail::clipLine(line)) return;
  PageWriter writer;
  rasterise(line, colour, writer);
}

void fillSpan(PageWriter& writer, int y, int xFrom, int xTo, std::uint8_t colour) {
  std::memset(writer.row(y) + xFrom, colour, static_cast<std::size_t>(xTo - xFrom + 1));
}

// An edge cut off by clipping is left out, not replaced by the screen border.
void drawBox(double x1, double y1, double x2, double y2, std::uint8_t colour, bool filled) {
  if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
  std::int64_t left = detail::toPixel(x1), top = detail::toPixel(y1);
  std::int64_t right = detail::toPixel(x2), bottom = detail::toPixel(y2);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right < 0 || left >= SCREEN_WIDTH || bottom < 0 || top >= SCREEN_HEIGHT) return;
  const int clipLeft = narrow(std::max<std::int64_t>(left, 0));
  const int clipRight = narrow(std::min<std::int64_t>(right, SCREEN_WIDTH - 1));
  const int clipTop = narrow(std::max<std::int64_t>(top, 0));
  const int clipBottom = narrow(std::min<std::int64_t>(bottom, SCREEN_HEIGHT - 1));

  PageWriter writer;
  if (filled) {
    for (int y = clipTop; y <= clipBottom; ++y) fillSpan(writer, y, clipLeft, clipRight, colour);
    writer.markRows(clipTop, clipBottom);
    return;
  }
  if (top >= 0) fillSpan(writer, clipTop, clipLeft, clipRight, colour);
  if (bottom < SCREEN_HEIGHT) fillSpan(writer, clipBottom, clipLeft, clipRight, colour);
  writer.markRows(clipTop, clipTop);
  writer.markRows(clipBottom, clipBottom);
  for (int y = clipTop; y <= clipBottom; ++y) {
    if (left >= 0) writer.set(clipLeft, y, colour);
    if (right < SCREEN_WIDTH) writer.set(clipRight, y, colour);
  }
}

}  // namespace

// The game draws only solid lines, so the style mask is not consulted.
void drawLine(double x1, double y1, double x2, double y2, int colour, LineKind kind,
              int /*style*/) {
  const std::uint8_t c = detail::wrapColour(colour);
  switch (kind) {
    case LineKind::Line:
      drawStraightLine(x1, y1, x2, y2, c);
      break;
    case LineKind::Box:
      drawBox(x1, y1, x2, y2, c, false);
      break;
    case LineKind::FilledBox:
      drawBox(x1, y1, x2, y2, c, true);
      break;
  }
}

}  // namespace kestal
