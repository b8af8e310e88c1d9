// The graphics screen as the game sees it: a 640 x 400 picture of palette indices in two
// pages, the drawing operations, text in 8 x 16 cells and the retrace wait.
//
// All calls come from the game thread. None reports an error: a call that cannot do what
// is asked does nothing. Coordinates are the caller's doubles, narrowed to float and then
// rounded half away from zero; colours are taken modulo 256.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "screen/direct_pixels.h"

namespace kestal {

inline constexpr int SCREEN_WIDTH = 640;
inline constexpr int SCREEN_HEIGHT = 400;
inline constexpr int PAGE_BYTES = SCREEN_WIDTH * SCREEN_HEIGHT;
inline constexpr int TEXT_COLUMNS = 80;
inline constexpr int TEXT_ROWS = 25;
inline constexpr int CELL_WIDTH = 8;
inline constexpr int CELL_HEIGHT = 16;
// Vertical-to-horizontal radius ratio: 400/640 * 4/3, so circles look round at 4:3.
inline constexpr float DEFAULT_ASPECT = 0.8333333f;

enum class LineKind { Line = 0, Box = 1, FilledBox = 2 };
enum class PutMode { And, Xor };

// A captured rectangle: two little-endian 16-bit words (width * 8 + 1, height), then one
// palette index per pixel, row by row. The caller owns the bytes; the span's size is the
// capacity, and a capture that does not fit is refused.
using ImageBuffer = std::span<std::uint8_t>;
using ConstImageBuffer = std::span<const std::uint8_t>;

// Opens the display (full screen where possible, else a 640 x 400 window), zeroes both
// pages, installs the default palette, resets colours, cursor and key queue.
void openScreen();
// x >= 0 moves the pointer; visible 0 hides it, > 0 shows it, < 0 leaves it.
void setPointer(int x, int y, int visible);
// Fills the work page with the background colour; cursor to row 1, column 1.
void clearScreen();
// Selects the drawing page and the shown page; -1 keeps the current one.
void setPages(int workPage, int visiblePage);
// Copies the work page onto the visible page and marks every row for redisplay.
void showWorkPage();
// Returns at the start of the display's next vertical blank: the game's only clock.
void waitRetrace();

void drawLine(double x1, double y1, double x2, double y2, int colour,
              LineKind kind = LineKind::Line, int style = 0xFFFF);
// Outline of the ellipse with horizontal radius `radius`, vertical radius * DEFAULT_ASPECT.
void drawCircle(double x, double y, double radius, int colour);
inline void plotPoint(double x, double y, int colour) {
  std::uint8_t* const page = detail::directWorkPage;
  if (page == nullptr) [[unlikely]] {
    detail::plotPointTheLongWay(x, y, colour);
    return;
  }
  int column = 0, row = 0;
  if (detail::onScreenPixel(x, SCREEN_WIDTH, column) &&
      detail::onScreenPixel(y, SCREEN_HEIGHT, row)) {
    page[row * SCREEN_WIDTH + column] = static_cast<std::uint8_t>(colour);
  }
}
// Palette index of the work page's pixel, or -1 off the screen. Without pictures every pixel
// on the screen reads as 0, as nothing was drawn.
int readPoint(double x, double y);

// Whether the screen keeps pictures (the display back end decides when the screen opens).
// Without them drawing changes no pixel, the text cursor still moves, and the game may leave
// out work that only draws: nothing it keeps depends on the pixels.
bool picturesKept();

// value = 65536 * blue + 256 * green + red, components 0..63. All four arguments -1
// bring back the default palette.
void setPaletteEntry(int index, std::int64_t value, int unused1 = -1, int unused2 = -1);

void captureImage(double x1, double y1, double x2, double y2, ImageBuffer buffer);
void putImage(double x, double y, ConstImageBuffer buffer, PutMode mode);

// Row 1..25, column 1..80; 0 keeps the current value; anything else ignores the call.
void locate(int row, int column, int cursorVisibility = -1);
// -1 leaves a colour unchanged; other values are taken modulo 256.
void setTextColour(int foreground, int background = -1);
// lineEnd 1 prints a carriage return and line feed after the text.
void printText(std::string_view text, int lineEnd);
// formatNumber's text, with a blank in front of a value that is not negative.
void printNumber(double value, int lineEnd);
int cursorRow();
int cursorColumn();

}  // namespace kestal
