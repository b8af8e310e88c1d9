// Text in graphics mode: glyphs, the cursor, control bytes and scrolling.
#include <string>

#include "screen/display_backend.h"
#include "screen/font.h"
#include "screen/screen_access.h"
#include "tests/screen/screen_test_support.h"

namespace kestal::testing {
namespace {

class CountingDisplay final : public DisplayBackend {
 public:
  int run(const std::function<void()>& game) override {
    game();
    return 0;
  }
  void open() override {}
  void waitRetrace() override {}
  void setPointer(int, int, int) override {}
  void beep() override { ++beeps; }
  void close() override {}
  int beeps = 0;
};

class TextTest : public ScreenTest {
 protected:
  // A pixel on text row 2 that must move to text row 1 when the screen scrolls once.
  void placeMarker() { plotPoint(5, 20, 77); }
  bool scrolledOnce() const { return pixelAt(5, 4) == 77 && pixelAt(5, 20) != 77; }
  bool notScrolled() const { return pixelAt(5, 20) == 77; }
};

void expectCursor(int row, int column) {
  EXPECT_EQ(cursorRow(), row);
  EXPECT_EQ(cursorColumn(), column);
}

// Cell (row, column) of the work page, as 16 rows of 8 pixels packed with bit 0 leftmost
// (1 where the pixel has `ink`).
Glyph cellInk(int row, int column, int ink) {
  Glyph rows{};
  for (int y = 0; y < CELL_HEIGHT; ++y) {
    for (int x = 0; x < CELL_WIDTH; ++x) {
      if (pixelAt((column - 1) * CELL_WIDTH + x, (row - 1) * CELL_HEIGHT + y) == ink) {
        rows[static_cast<std::size_t>(y)] |= static_cast<std::uint8_t>(1u << x);
      }
    }
  }
  return rows;
}

TEST(FontTest, GlyphsAreCodePage437WithLeftmostPixelInBitZero) {
  for (int row = 0; row < CELL_HEIGHT; ++row) {
    EXPECT_EQ(FONT_GLYPHS[0x20][static_cast<std::size_t>(row)], 0) << row;  // blank
    EXPECT_EQ(FONT_GLYPHS[0xC4][static_cast<std::size_t>(row)], row == 7 ? 0xFF : 0) << row;
    EXPECT_EQ(FONT_GLYPHS[0xDB][static_cast<std::size_t>(row)], 0xFF) << row;  // full block
    EXPECT_EQ(FONT_GLYPHS[0xDD][static_cast<std::size_t>(row)], 0x0F) << row;  // left half
    EXPECT_EQ(FONT_GLYPHS[0xDE][static_cast<std::size_t>(row)], 0xF0) << row;  // right half
  }
}

TEST_F(TextTest, CharactersPaintTheWholeCellAndAdvance) {
  setTextColour(14, 3);
  printText(
      "\xDD"
      "A",
      0);
  const Glyph leftHalf = cellInk(1, 1, 14);
  for (const auto row : leftHalf) EXPECT_EQ(row, 0x0F);
  EXPECT_EQ(cellInk(1, 1, 3)[0], 0xF0);  // the rest of the cell in the background colour
  EXPECT_EQ(cellInk(1, 2, 14), FONT_GLYPHS['A']);
  expectCursor(1, 3);

  locate(1, 80);
  printText("x", 0);
  expectCursor(2, 1);  // wraps after column 80
  printText("\xDB", 0);
  EXPECT_EQ(pixelAt(7, 31), 14);
}

TEST_F(TextTest, ControlBytes) {
  auto counting = CountingDisplay{};
  setDisplayBackend(&counting);
  printText("abc\b", 0);
  expectCursor(1, 3);
  printText("\b\b\b\b", 0);
  expectCursor(1, 1);  // not past column 1
  printText("\a", 0);
  expectCursor(1, 1);
  EXPECT_EQ(counting.beeps, 1);
  setDisplayBackend(nullptr);

  printText("xy\r", 0);
  expectCursor(1, 1);
  printText("xy\nz", 0);
  expectCursor(2, 2);

  // Tabs print blanks (in the background colour) up to column 9, 17, ...
  locate(3, 1);
  plotPoint(20, 40, 9);  // inside cell (3, 3)
  printText("\t", 0);
  expectCursor(3, 9);
  EXPECT_EQ(pixelAt(20, 40), 0);
  locate(3, 5);
  printText("\t", 0);
  expectCursor(3, 9);
  printText("\t", 0);
  expectCursor(3, 17);
  locate(3, 73);
  printText("\t", 0);
  expectCursor(4, 1);
}

TEST_F(TextTest, LastCellOfTheScreenPostponesTheScroll) {
  placeMarker();
  locate(25, 1);
  printText(std::string(80, 'x'), 0);
  expectCursor(25, 80);
  EXPECT_TRUE(pendingScroll());
  EXPECT_TRUE(notScrolled());

  printText("", 0);  // an empty text does not discharge it
  EXPECT_TRUE(pendingScroll());
  EXPECT_TRUE(notScrolled());

  printText("y", 0);
  EXPECT_TRUE(scrolledOnce());
  EXPECT_FALSE(pendingScroll());
  expectCursor(25, 2);
  EXPECT_EQ(cellInk(25, 1, 15), FONT_GLYPHS['y']);
  EXPECT_EQ(cellInk(24, 80, 15), FONT_GLYPHS['x']);  // the old last row moved up
}

TEST_F(TextTest, LocateOrClearScreenDropsThePendingScroll) {
  placeMarker();
  locate(25, 1);
  printText(std::string(80, 'x'), 0);
  locate(25, 1);
  EXPECT_FALSE(pendingScroll());
  printText("y", 0);
  EXPECT_TRUE(notScrolled());
  expectCursor(25, 2);

  locate(25, 1);
  printText(std::string(80, 'x'), 0);
  clearScreen();
  EXPECT_FALSE(pendingScroll());
  expectCursor(1, 1);
  EXPECT_TRUE(litPixels().empty());
}

TEST_F(TextTest, LineEndsOnTheLastRowScrollAtOnce) {
  placeMarker();
  locate(25, 1);
  printText("abc", 1);
  EXPECT_TRUE(scrolledOnce());
  expectCursor(25, 1);
  EXPECT_EQ(cellInk(24, 1, 15), FONT_GLYPHS['a']);

  openScreen();
  placeMarker();
  locate(25, 10);
  printText("\n", 0);
  EXPECT_TRUE(scrolledOnce());
  expectCursor(25, 1);

  // The uncovered rows take the background colour.
  setTextColour(-1, 4);
  printText("\n\n", 0);
  EXPECT_EQ(pixelAt(0, SCREEN_HEIGHT - 1), 4);
  EXPECT_EQ(pixelAt(0, SCREEN_HEIGHT - 2 * CELL_HEIGHT), 4);
  EXPECT_EQ(pixelAt(0, SCREEN_HEIGHT - 2 * CELL_HEIGHT - 1), 0);
}

TEST_F(TextTest, LocateAndTextColourRules) {
  locate(3, 7);
  locate(26, 1);
  locate(1, 81);
  locate(-1, 1);
  expectCursor(3, 7);
  locate(5, 0);
  expectCursor(5, 7);
  locate(0, 2);
  expectCursor(5, 2);

  setTextColour(-1, -1);
  printText("\xDB", 0);
  EXPECT_EQ(pixelAt(8, 64), 15);
  setTextColour(-2, -1);
  printText("\xDB", 0);
  EXPECT_EQ(pixelAt(16, 64), 254);
  setTextColour(256, 300);
  printText("\xDD", 0);
  EXPECT_EQ(pixelAt(24, 64), 0);
  EXPECT_EQ(pixelAt(31, 64), 44);
}

TEST_F(TextTest, PrintNumberPutsABlankBeforeNonNegativeValues) {
  printNumber(3, 0);
  expectCursor(1, 3);
  EXPECT_EQ(cellInk(1, 1, 15), FONT_GLYPHS[' ']);
  EXPECT_EQ(cellInk(1, 2, 15), FONT_GLYPHS['3']);

  locate(2, 1);
  printNumber(-27, 1);
  expectCursor(3, 1);
  EXPECT_EQ(cellInk(2, 1, 15), FONT_GLYPHS['-']);
  EXPECT_EQ(cellInk(2, 3, 15), FONT_GLYPHS['7']);
}

}  // namespace
}  // namespace kestal::testing
