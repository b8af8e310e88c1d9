// Whole-pixel plotting: the positions, colours and row marks of plotPoint.
#include "screen/pixel_plotter.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cmath>
#include <limits>
#include <vector>

#include "screen/coordinates.h"
#include "screen/screen_access.h"
#include "tests/screen/sample_doubles.h"
#include "tests/screen/screen_test_support.h"

namespace kestal::testing {
namespace {

using PixelPlotterTest = ScreenTest;

// Where plotPoint lights a point on the cleared line 7 of the work page, across or down:
// the index along the line, or -1 when nothing is lit. The point is cleared again.
int wherePlotPointLands(double v, bool column) {
  constexpr int LINE = 7;
  if (column) {
    plotPoint(v, LINE, 1);
  } else {
    plotPoint(LINE, v, 1);
  }
  const auto page = workPagePixels();
  const int size = column ? SCREEN_WIDTH : SCREEN_HEIGHT;
  for (int n = 0; n < size; ++n) {
    const int x = column ? n : LINE, y = column ? LINE : n;
    if (page[static_cast<std::size_t>(y * SCREEN_WIDTH + x)] == 0) continue;
    plotPoint(x, y, 0);
    return n;
  }
  return -1;
}

TEST_F(PixelPlotterTest, ColumnsAndRowsAreWherePlotPointLands) {
  setPages(1, 0);
  std::vector<double> values = sampleDoubles();
  // Every half and its float neighbours across both sizes and a little beyond.
  for (int twice = -8; twice <= 2 * SCREEN_WIDTH + 8; ++twice) {
    const double half = twice / 2.0;
    for (double v : {half, std::nextafter(half, -1e9), std::nextafter(half, 1e9),
                     static_cast<double>(std::nextafter(static_cast<float>(half), -1e9f))}) {
      values.push_back(v);
    }
  }
  values.push_back(std::numeric_limits<double>::quiet_NaN());
  values.push_back(std::numeric_limits<double>::infinity());
  // The lines, circles and images round through toPixel: all must agree on every pixel.
  const auto lineRounding = [](double v, int size) {
    const std::int64_t pixel = detail::toPixel(v);
    return pixel >= 0 && pixel < size ? static_cast<int>(pixel) : -1;
  };
  for (double v : values) {
    ASSERT_EQ(pixelColumn(v), wherePlotPointLands(v, true)) << v;
    ASSERT_EQ(pixelRow(v), wherePlotPointLands(v, false)) << v;
    ASSERT_EQ(pixelColumn(v), lineRounding(v, SCREEN_WIDTH)) << v;
    ASSERT_EQ(pixelRow(v), lineRounding(v, SCREEN_HEIGHT)) << v;
  }
}

TEST_F(PixelPlotterTest, PlotsWhatPlotPointPlotsOnHiddenAndShownPages) {
  struct Point {
    int x, y, colour;
  };
  // Corners, colours that wrap, positions just and far off the screen, an overwrite.
  const std::vector<Point> points = {
      {0, 0, 1},       {639, 399, 2},   {639, 0, 3},    {0, 399, 4},    {320, 200, 300},
      {321, 200, -1},  {-1, 5, 5},      {640, 5, 6},    {5, -1, 7},     {5, 400, 8},
      {INT_MIN, 0, 9}, {0, INT_MAX, 9}, {320, 200, 11}, {100, 50, 256}, {101, 50, 511},
  };
  using Page = std::array<std::uint8_t, PAGE_BYTES>;
  struct Result {
    Page work, visible;
    PresentedFrame frame;
  };
  const auto draw = [&](int workPage, auto plotAll) {
    openScreen();
    setPages(workPage, 0);
    auto result = std::make_unique<Result>();
    collectChanges(result->frame);  // the fresh screen's marks
    plotAll();
    collectChanges(result->frame);
    std::copy(workPagePixels().begin(), workPagePixels().end(), result->work.begin());
    std::copy(visiblePagePixels().begin(), visiblePagePixels().end(), result->visible.begin());
    return result;
  };
  for (int workPage : {1, 0}) {  // hidden, then on display
    SCOPED_TRACE(workPage);
    const auto expected = draw(workPage, [&] {
      for (const Point& p : points) plotPoint(p.x, p.y, p.colour);
    });
    const auto actual = draw(workPage, [&] {
      PixelPlotter plotter;
      for (const Point& p : points) plotter.plot(p.x, p.y, p.colour);
    });
    EXPECT_EQ(actual->work, expected->work);
    EXPECT_EQ(actual->visible, expected->visible);
    EXPECT_EQ(actual->frame.changedRows, expected->frame.changedRows);
    EXPECT_EQ(actual->frame.changedRows.count(), workPage == 0 ? 4u : 0u);  // rows 0, 50, 200, 399
  }
}

}  // namespace
}  // namespace kestal::testing
