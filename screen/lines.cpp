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

// Bresenham's walk along the major axis, one step along the minor one whenever the error
// term says so. Offsets into the page rather than per-pixel calls: a row step is a stride.
void walk(std::uint8_t* page, std::ptrdiff_t at, int major, int minor, std::ptrdiff_t majorStep,
          std::ptrdiff_t minorStep, std::uint8_t colour) {
  int d = 2 * minor - major;
  for (int i = 0; i <= major; ++i) {
    page[at] = colour;
    if (d >= 0) {
      at += minorStep;
      d -= 2 * major;
    }
    d += 2 * minor;
    at += majorStep;
  }
}

// Every pixel of a column from the first offset on: a vertical line.
void walkDown(std::uint8_t* page, std::ptrdiff_t at, int count, std::ptrdiff_t rowStep,
              std::uint8_t colour) {
  for (int i = 0; i < count; ++i, at += rowStep) page[at] = colour;
}

// Both end points included. A horizontal line is one row written at once; a vertical one has
// no minor steps.
void rasterise(const PixelLine& l, std::uint8_t colour, PageWriter& writer) {
  const int x1 = narrow(l.x1), y1 = narrow(l.y1);
  const int x2 = narrow(l.x2), y2 = narrow(l.y2);
  writer.markRows(std::min(y1, y2), std::max(y1, y2));
  if (y1 == y2) {
    std::memset(writer.row(y1) + std::min(x1, x2), colour,
                static_cast<std::size_t>(std::abs(x2 - x1) + 1));
    return;
  }
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const std::ptrdiff_t xStep = x2 > x1 ? 1 : -1;
  const std::ptrdiff_t yStep = y2 > y1 ? SCREEN_WIDTH : -SCREEN_WIDTH;
  const std::ptrdiff_t start = std::ptrdiff_t{y1} * SCREEN_WIDTH + x1;
  if (dx == 0) {
    walkDown(writer.row(0), start, dy + 1, yStep, colour);
  } else if (dx >= dy) {
    walk(writer.row(0), start, dx, dy, xStep, yStep, colour);
  } else {
    walk(writer.row(0), start, dy, dx, yStep, xStep, colour);
  }
}

void drawStraightLine(double x1, double y1, double x2, double y2, std::uint8_t colour) {
  // Most lines lie on the screen, and there is nothing to clip: the rounding alone.
  int px1 = 0, py1 = 0, px2 = 0, py2 = 0;
  if (detail::onScreenPixel(x1, SCREEN_WIDTH, px1) &&
      detail::onScreenPixel(y1, SCREEN_HEIGHT, py1) &&
      detail::onScreenPixel(x2, SCREEN_WIDTH, px2) &&
      detail::onScreenPixel(y2, SCREEN_HEIGHT, py2)) {
    PageWriter writer;
    rasterise(PixelLine{px1, py1, px2, py2}, colour, writer);
    return;
  }
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
  if (left < 0 && right >= SCREEN_WIDTH) return;
  writer.markRows(clipTop, clipBottom);
  for (int y = clipTop; y <= clipBottom; ++y) {
    std::uint8_t* row = writer.row(y);
    if (left >= 0) row[clipLeft] = colour;
    if (right < SCREEN_WIDTH) row[clipRight] = colour;
  }
}

}  // namespace

// The game draws only solid lines, so the style mask is not consulted.
void drawLine(double x1, double y1, double x2, double y2, int colour, LineKind kind,
              int /*style*/) {
  if (!detail::drawing()) return;
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
