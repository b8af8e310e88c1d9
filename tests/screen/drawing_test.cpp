// Points, lines, boxes and circles on the work page.
#include <cmath>
#include <limits>

#include "screen/screen_access.h"
#include "tests/screen/screen_test_support.h"

namespace kestal::testing {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

using DrawingTest = ScreenTest;

TEST_F(DrawingTest, PlotPointNarrowsToFloatAndRoundsHalfAwayFromZero) {
  plotPoint(639.5, 10, 1);  // rounds to x 640: off the screen
  plotPoint(-0.5, 20, 1);   // rounds to -1
  EXPECT_TRUE(litPixels().empty());

  plotPoint(-0.4, 0, 7);
  plotPoint(2.5, 3.5, 9);
  // 2.4999999999 is 2.5 once narrowed to single precision, so it rounds up.
  plotPoint(2.4999999999, 30, 4);
  plotPoint(10.49, 31.51, 5);
  // The float just below one half, and its negative, still round to 0.
  plotPoint(0.49999997, 40, 5);
  plotPoint(20, -0.49999997, 5);
  EXPECT_EQ(litPixels(), (PixelSet{{0, 0}, {3, 4}, {3, 30}, {10, 32}, {0, 40}, {20, 0}}));
  EXPECT_EQ(pixelAt(0, 0), 7);
  EXPECT_EQ(pixelAt(3, 4), 9);
}

TEST_F(DrawingTest, ColoursWrapAndReadPointReportsOffScreen) {
  plotPoint(5, 5, 300);
  plotPoint(6, 5, -1);
  plotPoint(7, 5, 256);
  EXPECT_EQ(readPoint(5, 5), 44);
  EXPECT_EQ(readPoint(6, 5), 255);
  EXPECT_EQ(readPoint(7, 5), 0);
  EXPECT_EQ(readPoint(5.4, 4.6), 44);
  EXPECT_EQ(readPoint(-1, 0), -1);
  EXPECT_EQ(readPoint(0, 400), -1);
  EXPECT_EQ(readPoint(NaN, 0), -1);
}

TEST_F(DrawingTest, LinePixelsFollowTheDirectionOfDrawing) {
  drawLine(0, 0, 4, 2, 3);
  EXPECT_EQ(litPixels(), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));

  openScreen();
  drawLine(4, 2, 0, 0, 3);  // ties now step at the other end
  EXPECT_EQ(litPixels(), (PixelSet{{4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}));

  openScreen();
  drawLine(0, 0, 2, 4, 3);  // steep: x and y exchange roles
  EXPECT_EQ(litPixels(), (PixelSet{{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}));

  openScreen();
  drawLine(7, 9, 7, 5, 3);
  drawLine(12, 1, 9, 1, 3);
  EXPECT_EQ(litPixels(),
            (PixelSet{{7, 5}, {7, 6}, {7, 7}, {7, 8}, {7, 9}, {9, 1}, {10, 1}, {11, 1}, {12, 1}}));
  EXPECT_EQ(pixelAt(7, 7), 3);
}

TEST_F(DrawingTest, ClippingMovesEndsOntoTheEdgesWithTruncation) {
  drawLine(-10, 5, 10, 5, 2);
  PixelSet row5;
  for (int x = 0; x <= 10; ++x) row5.insert({x, 5});
  EXPECT_EQ(litPixels(), row5);

  openScreen();
  drawLine(-10, 5, -1, 50, 2);
  EXPECT_TRUE(litPixels().empty());

  // The right crossing lands at y = 3.6, truncated to 3; rasterised from the clipped end.
  openScreen();
  drawLine(630, 0, 650, 8, 2);
  EXPECT_EQ(litPixels(), (PixelSet{{639, 3},
                                   {638, 3},
                                   {637, 2},
                                   {636, 2},
                                   {635, 2},
                                   {634, 1},
                                   {633, 1},
                                   {632, 1},
                                   {631, 0},
                                   {630, 0}}));

  // Only the second end is outside: the ends are exchanged, so the line is rasterised from
  // the clipped end (0, 0) towards (4, 2), not the other way round.
  openScreen();
  drawLine(4, 2, -4, -2, 2);
  EXPECT_EQ(litPixels(), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
}

TEST_F(DrawingTest, HugeInfiniteAndNaNCoordinatesAreSafe) {
  drawLine(NaN, 5, 10, 5, 1);
  drawLine(0, 0, 10, NaN, 1);
  drawCircle(NaN, 100, 5, 1);
  drawCircle(100, 100, NaN, 1);
  drawCircle(100, 100, 1e12, 1);
  drawCircle(INF, 100, 5, 1);
  drawCircle(100, -INF, 5, 1);
  drawLine(NaN, NaN, NaN, NaN, 1, LineKind::FilledBox);
  plotPoint(INF, 0, 1);
  plotPoint(-1e300, 0, 1);
  EXPECT_TRUE(litPixels().empty());

  drawLine(-1e300, 5, 1e300, 5, 1);
  drawLine(-INF, 6, 10, 6, 1);
  PixelSet rows;
  for (int x = 0; x < SCREEN_WIDTH; ++x) rows.insert({x, 5});
  for (int x = 0; x <= 10; ++x) rows.insert({x, 6});
  EXPECT_EQ(litPixels(), rows);

  // A far end keeps the line's direction: the 45-degree diagonal down to the bottom row.
  openScreen();
  drawLine(0, 0, 1e12, 1e12, 1);
  PixelSet diagonal;
  for (int i = 0; i < SCREEN_HEIGHT; ++i) diagonal.insert({i, i});
  EXPECT_EQ(litPixels(), diagonal);
  openScreen();
  drawLine(0, 0, INF, INF, 1);
  EXPECT_EQ(litPixels(), diagonal);

  // Slope 1/5 with a far end: the right-edge crossing y = 639 / 5 = 127.8 truncates to 127,
  // and the line from (0, 0) to (639, 127) has one pixel per column within half a pixel.
  openScreen();
  drawLine(0, 0, 5e9, 1e9, 1);
  const PixelSet lit = litPixels();
  EXPECT_EQ(lit.size(), static_cast<std::size_t>(SCREEN_WIDTH));
  EXPECT_EQ(pixelAt(639, 127), 1);
  for (const auto& [x, y] : lit) EXPECT_LE(std::abs(y - x * 127.0 / 639.0), 0.5) << x;

  openScreen();
  drawLine(-INF, -INF, INF, INF, 1, LineKind::FilledBox);
  EXPECT_EQ(litPixels().size(), static_cast<std::size_t>(PAGE_BYTES));
}

TEST_F(DrawingTest, BoxesAndFilledBoxes) {
  drawLine(0, 0, 34, 390, 6, LineKind::FilledBox);
  const PixelSet filled = litPixels();
  EXPECT_EQ(filled.size(), 35u * 391u);
  EXPECT_EQ(filled.begin()->first, 0);
  EXPECT_EQ(filled.rbegin()->first, 34);
  EXPECT_EQ(pixelAt(34, 390), 6);
  EXPECT_EQ(pixelAt(35, 390), 0);
  EXPECT_EQ(pixelAt(34, 391), 0);

  openScreen();
  drawLine(10, 20, 30, 40, 6, LineKind::Box);
  const PixelSet outline = litPixels();
  EXPECT_EQ(outline.size(), 2u * 21u + 2u * 19u);
  EXPECT_EQ(pixelAt(20, 30), 0);
  EXPECT_EQ(pixelAt(10, 40), 6);
  openScreen();
  drawLine(30, 40, 10, 20, 6, LineKind::Box);
  EXPECT_EQ(litPixels(), outline);

  // A clipped box leaves out the edges that are off the screen.
  openScreen();
  drawLine(-5, 10, 20, 420, 6, LineKind::Box);
  EXPECT_EQ(pixelAt(0, 10), 6);   // top edge, from the border on
  EXPECT_EQ(pixelAt(0, 200), 0);  // the left edge is off the screen
  EXPECT_EQ(pixelAt(20, 200), 6);
  EXPECT_EQ(pixelAt(20, 399), 6);
  EXPECT_EQ(pixelAt(10, 399), 0);  // no bottom edge replaced by the border
  EXPECT_EQ(litPixels().size(), 21u + (399u - 10u + 1u) - 1u);

  openScreen();
  drawLine(-50, -50, -1, 100, 6, LineKind::FilledBox);
  drawLine(640, 0, 700, 10, 6, LineKind::Box);
  EXPECT_TRUE(litPixels().empty());
}

TEST_F(DrawingTest, CircleOutlines) {
  drawCircle(100, 100, 1, 8);
  EXPECT_EQ(litPixels(), (PixelSet{{99, 100}, {100, 100}, {101, 100}}));

  openScreen();
  drawCircle(100, 100, 2, 8);
  EXPECT_EQ(litPixels(), (PixelSet{{98, 100},
                                   {102, 100},
                                   {99, 99},
                                   {100, 99},
                                   {101, 99},
                                   {99, 101},
                                   {100, 101},
                                   {101, 101}}));

  openScreen();
  drawCircle(100, 100, 8, 8);
  const PixelSet ring = litPixels();
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (const auto& [x, y] : ring) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
    EXPECT_TRUE(ring.count({200 - x, y}) && ring.count({x, 200 - y})) << x << "," << y;
  }
  EXPECT_EQ(minX, 92);
  EXPECT_EQ(maxX, 108);
  EXPECT_EQ(minY, 93);
  EXPECT_EQ(maxY, 107);
  EXPECT_EQ(pixelAt(100, 100), 0);

  // Radius 0 is a single pixel; a negative radius runs the steps literally: only the two
  // end pixels, swapped, and no loop.
  openScreen();
  drawCircle(50, 50, 0, 8);
  drawCircle(100, 100, -1, 8);
  EXPECT_EQ(litPixels(), (PixelSet{{50, 50}, {99, 100}, {101, 100}}));

  // Partly off the screen: the visible part is drawn.
  openScreen();
  drawCircle(0, 0, 8, 8);
  EXPECT_EQ(pixelAt(8, 0), 8);
  EXPECT_FALSE(litPixels().empty());
}

TEST_F(DrawingTest, ChangedRowsAndPagesReachTheDisplay) {
  PresentedFrame frame;
  EXPECT_TRUE(collectChanges(frame));  // a new screen is shown in full
  EXPECT_TRUE(frame.paletteChanged);
  EXPECT_EQ(frame.changedRows.count(), static_cast<std::size_t>(SCREEN_HEIGHT));
  EXPECT_FALSE(collectChanges(frame));

  plotPoint(7, 33, 12);  // work page is the visible page
  EXPECT_TRUE(collectChanges(frame));
  EXPECT_EQ(frame.changedRows.count(), 1u);
  EXPECT_TRUE(frame.changedRows.test(33));
  EXPECT_FALSE(frame.paletteChanged);
  EXPECT_EQ(frame.pixels[33 * SCREEN_WIDTH + 7], 12);

  setPages(1, 0);
  EXPECT_FALSE(collectChanges(frame));
  plotPoint(8, 40, 13);
  drawCircle(100, 100, 8, 5);
  EXPECT_FALSE(collectChanges(frame));  // hidden page: nothing to show yet
  EXPECT_EQ(visiblePagePixels()[40 * SCREEN_WIDTH + 8], 0);

  showWorkPage();
  EXPECT_TRUE(collectChanges(frame));
  EXPECT_EQ(frame.changedRows.count(), static_cast<std::size_t>(SCREEN_HEIGHT));
  EXPECT_EQ(frame.pixels[40 * SCREEN_WIDTH + 8], 13);
  EXPECT_EQ(frame.pixels[33 * SCREEN_WIDTH + 7], 0);  // page 1 never had that point
  EXPECT_EQ(visiblePagePixels()[40 * SCREEN_WIDTH + 8], 13);

  setPages(-1, 1);
  EXPECT_TRUE(collectChanges(frame));
  EXPECT_EQ(frame.changedRows.count(), static_cast<std::size_t>(SCREEN_HEIGHT));
}

}  // namespace
}  // namespace kestal::testing
