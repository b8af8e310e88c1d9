// A screen that keeps no pictures: every drawing operation leaves the pages alone, points read
// as 0 on the screen (-1 off it), and the text cursor moves exactly as with pictures.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless_display.h"
#include "screen/display_backend.h"
#include "screen/screen_access.h"
#include "tests/screen/screen_test_support.h"

namespace kestal::testing {
namespace {

using Pictures = HeadlessDisplay::Pictures;

struct Seen {
  bool picturesKept = false;
  bool anyPixel = false;  // on either page
  std::vector<int> reads;
  std::vector<int> cursor;  // row and column after each operation
  bool bufferTouched = false;
};

Seen drawEverything(Pictures pictures) {
  HeadlessDisplay display({}, pictures);
  setDisplayBackend(&display);
  openScreen();
  Seen seen;
  seen.picturesKept = picturesKept();
  clearScreen();
  setPages(1, 0);
  std::array<std::uint8_t, 4 + 16 * 16> buffer{};
  buffer.fill(0xAB);
  const std::function<void()> operations[] = {
      [] { plotPoint(5, 5, 7); },
      [] { drawLine(0, 0, 639, 399, 9); },
      [] { drawLine(10, 10, 50, 60, 11, LineKind::Box); },
      [] { drawLine(-5, 100, 700, 120, 12, LineKind::FilledBox); },
      [] { drawCircle(320, 200, 8, 13); },
      [&] { captureImage(0, 0, 15, 15, buffer); },
      [&] { putImage(100, 100, buffer, PutMode::Xor); },
      [] { printText(std::string(85, 'x'), 1); },  // wraps a row
      [] { locate(25, 79); },
      [] { printText("ab", 0); },   // ends past the last cell
      [] { printText("\tc", 1); },  // the postponed scroll, a tab
      [] {
        setTextColour(200);
        printText("d\x08\re", 0);
      },  // backspace, carriage return
      [] { showWorkPage(); },
      [] { clearScreen(); },
      [] { printText("f", 0); },
  };
  for (const auto& operation : operations) {
    operation();
    seen.cursor.push_back(cursorRow());
    seen.cursor.push_back(cursorColumn());
    seen.cursor.push_back(pendingScroll() ? 1 : 0);
  }
  plotPoint(3, 3, 200);
  for (const auto& [x, y] : {std::pair{3.0, 3.0}, {0.0, 399.0}, {-1.0, 0.0}, {640.0, 5.0}}) {
    seen.reads.push_back(readPoint(x, y));
  }
  const auto lit = [](std::uint8_t pixel) { return pixel != 0; };
  seen.anyPixel = std::any_of(workPagePixels().begin(), workPagePixels().end(), lit) ||
                  std::any_of(visiblePagePixels().begin(), visiblePagePixels().end(), lit);
  seen.bufferTouched = std::any_of(buffer.begin(), buffer.end(), [](auto b) { return b != 0xAB; });
  setDisplayBackend(nullptr);
  return seen;
}

TEST(NoPicturesTest, DrawingLeavesThePagesAloneAndTheCursorMovesAsWithPictures) {
  const Seen kept = drawEverything(Pictures::Kept);
  const Seen skipped = drawEverything(Pictures::Skipped);
  EXPECT_TRUE(kept.picturesKept);
  EXPECT_TRUE(kept.anyPixel);
  EXPECT_TRUE(kept.bufferTouched);
  EXPECT_EQ(kept.reads, (std::vector<int>{200, 0, -1, -1}));

  EXPECT_FALSE(skipped.picturesKept);
  EXPECT_FALSE(skipped.anyPixel);
  EXPECT_FALSE(skipped.bufferTouched);
  EXPECT_EQ(skipped.reads, (std::vector<int>{0, 0, -1, -1}));
  EXPECT_EQ(skipped.cursor, kept.cursor);

  // The next screen opened asks its back end again.
  openScreen();
  EXPECT_TRUE(picturesKept());
}

}  // namespace
}  // namespace kestal::testing
