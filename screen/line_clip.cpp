#include "screen/line_clip.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "screen/coordinates.h"
#include "screen/screen.h"

namespace kestal::detail {
namespace {

constexpr int LEFT = 1;
constexpr int RIGHT = 2;
constexpr int BOTTOM = 4;
constexpr int TOP = 8;
constexpr std::int64_t MAX_X = SCREEN_WIDTH - 1;
constexpr std::int64_t MAX_Y = SCREEN_HEIGHT - 1;

int outcode(std::int64_t x, std::int64_t y) {
  int code = 0;
  if (x < 0) code |= LEFT;
  if (x > MAX_X) code |= RIGHT;
  if (y < 0) code |= TOP;
  if (y > MAX_Y) code |= BOTTOM;
  return code;
}

double asDouble(std::int64_t v) {
  return static_cast<double>(v);
}

// Moves (x1, y1) onto the first edge its code crosses, in the order left, right, top, bottom.
void moveOntoEdge(PixelLine& l, int code) {
  const bool vertical = l.x1 == l.x2;
  const double slope = vertical ? 1.0 : asDouble(l.y2 - l.y1) / asDouble(l.x2 - l.x1);
  if (code & LEFT) {
    l.y1 = truncToInt(asDouble(l.y1) + slope * asDouble(0 - l.x1));
    l.x1 = 0;
  } else if (code & RIGHT) {
    l.y1 = truncToInt(asDouble(l.y1) + slope * asDouble(MAX_X - l.x1));
    l.x1 = MAX_X;
  } else if (code & TOP) {
    if (!vertical) l.x1 = truncToInt(asDouble(l.x1) + asDouble(0 - l.y1) / slope);
    l.y1 = 0;
  } else {
    if (!vertical) l.x1 = truncToInt(asDouble(l.x1) + asDouble(MAX_Y - l.y1) / slope);
    l.y1 = MAX_Y;
  }
}

// Liang-Barsky against the square of half-side FAR_COORDINATE, in doubles.
bool pullInFarEnds(RealLine& l) {
  const double dx = l.x2 - l.x1;
  const double dy = l.y2 - l.y1;
  double enter = 0.0;
  double leave = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {l.x1 + FAR_COORDINATE, FAR_COORDINATE - l.x1, l.y1 + FAR_COORDINATE,
                       FAR_COORDINATE - l.y1};
  for (int edge = 0; edge < 4; ++edge) {
    if (p[edge] == 0.0) {
      if (q[edge] < 0.0) return false;
      continue;
    }
    const double t = q[edge] / p[edge];
    if (p[edge] < 0.0) {
      enter = std::max(enter, t);
    } else {
      leave = std::min(leave, t);
    }
  }
  if (enter > leave) return false;
  const RealLine original = l;
  if (enter > 0.0) {
    l.x1 = original.x1 + enter * dx;
    l.y1 = original.y1 + enter * dy;
  }
  if (leave < 1.0) {
    l.x2 = original.x1 + leave * dx;
    l.y2 = original.y1 + leave * dy;
  }
  return true;
}

bool isFar(double v) {
  return std::fabs(v) > FAR_COORDINATE;
}

}  // namespace

bool clipLine(PixelLine& line) {
  // Each pass puts one end on an edge; a handful always suffices, the bound only guards
  // against a rounding cycle.
  for (int pass = 0; pass < 16; ++pass) {
    int code1 = outcode(line.x1, line.y1);
    const int code2 = outcode(line.x2, line.y2);
    if ((code1 | code2) == 0) return true;
    if ((code1 & code2) != 0) return false;
    if (code1 == 0) {
      std::swap(line.x1, line.x2);
      std::swap(line.y1, line.y2);
      code1 = code2;
    }
    moveOntoEdge(line, code1);
  }
  return false;
}

bool toPixelLine(RealLine line, PixelLine& pixels) {
  if (std::isnan(line.x1) || std::isnan(line.y1) || std::isnan(line.x2) || std::isnan(line.y2)) {
    return false;
  }
  if (isFar(line.x1) || isFar(line.y1) || isFar(line.x2) || isFar(line.y2)) {
    // Infinities become merely huge so the direction arithmetic stays finite.
    constexpr double HUGE_COORDINATE = 1152921504606846976.0;  // 2^60
    for (double* v : {&line.x1, &line.y1, &line.x2, &line.y2}) {
      *v = std::clamp(*v, -HUGE_COORDINATE, HUGE_COORDINATE);
    }
    if (!pullInFarEnds(line)) return false;
  }
  pixels = PixelLine{toPixel(line.x1), toPixel(line.y1), toPixel(line.x2), toPixel(line.y2)};
  return true;
}

}  // namespace kestal::detail
