// Text in graphics mode: the cursor, printing, scrolling and clearing.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "screen/display_backend.h"
#include "screen/font.h"
#include "screen/numbers.h"
#include "screen/screen_state.h"

namespace kestal {
namespace {

using detail::PageWriter;
using detail::ScreenState;
using detail::screenState;

constexpr char CARRIAGE_RETURN = 13;
constexpr char LINE_FEED = 10;
constexpr char BACKSPACE = 8;
constexpr char TAB = 9;
constexpr char BELL = 7;
constexpr int TAB_WIDTH = 8;
// Scrolling by a full screen or more leaves only background, so the cursor never needs
// to run further below the last row than this.
constexpr int LOWEST_CURSOR_ROW = 2 * TEXT_ROWS;

void scrollUp(const ScreenState& s, int textRows) {
  if (!s.picturesKept) return;
  const int pixelRows = std::min(textRows * CELL_HEIGHT, SCREEN_HEIGHT);
  const auto keptBytes = static_cast<std::size_t>((SCREEN_HEIGHT - pixelRows) * SCREEN_WIDTH);
  PageWriter writer;
  std::uint8_t* page = writer.row(0);
  std::memmove(page, page + pixelRows * SCREEN_WIDTH, keptBytes);
  std::memset(page + keptBytes, s.backgroundColour,
              static_cast<std::size_t>(pixelRows * SCREEN_WIDTH));
  writer.markRows(0, SCREEN_HEIGHT - 1);
}

void bringCursorOntoScreen(ScreenState& s) {
  if (s.cursorRow <= TEXT_ROWS) return;
  scrollUp(s, s.cursorRow - TEXT_ROWS);
  s.cursorRow = TEXT_ROWS;
}

void nextRow(ScreenState& s) {
  s.cursorColumn = 1;
  s.cursorRow = std::min(s.cursorRow + 1, LOWEST_CURSOR_ROW);
}

// Each glyph row as eight bytes: 0xFF where the row's bit is set (bit 0 leftmost, the first
// byte in memory).
constexpr std::array<std::uint64_t, 256> makeInkMasks() {
  std::array<std::uint64_t, 256> masks{};
  for (unsigned bits = 0; bits < 256; ++bits) {
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((bits >> bit) & 1u) masks[bits] |= std::uint64_t{0xFF} << (8 * bit);
    }
  }
  return masks;
}
constexpr std::array<std::uint64_t, 256> INK_MASKS = makeInkMasks();
static_assert(std::endian::native == std::endian::little,
              "ink masks list pixels from the low byte");

// Paints the whole cell (foreground where the glyph has ink, background elsewhere), a row of
// eight pixels at once, and advances the cursor, wrapping after the last column.
void drawCharacter(ScreenState& s, std::uint8_t code) {
  bringCursorOntoScreen(s);
  if (s.picturesKept) {
    const int left = (s.cursorColumn - 1) * CELL_WIDTH;
    const int top = (s.cursorRow - 1) * CELL_HEIGHT;
    const Glyph& glyph = FONT_GLYPHS[code];
    constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101u;
    const std::uint64_t ink = s.foregroundColour * EVERY_BYTE;
    const std::uint64_t paper = s.backgroundColour * EVERY_BYTE;
    PageWriter writer;
    for (int row = 0; row < CELL_HEIGHT; ++row) {
      const std::uint64_t mask = INK_MASKS[glyph[static_cast<std::size_t>(row)]];
      const std::uint64_t pixels = (ink & mask) | (paper & ~mask);
      std::memcpy(writer.row(top + row) + left, &pixels, sizeof pixels);
    }
    writer.markRows(top, top + CELL_HEIGHT - 1);
  }
  if (++s.cursorColumn > TEXT_COLUMNS) nextRow(s);
}

void printSegment(std::string_view text) {
  if (text.empty()) return;
  auto& s = screenState();
  if (s.pendingScroll) {
    s.pendingScroll = false;
    nextRow(s);
    bringCursorOntoScreen(s);
  }
  bool endedWithCharacter = false;
  for (const char byte : text) {
    endedWithCharacter = false;
    switch (byte) {
      case CARRIAGE_RETURN:
        s.cursorColumn = 1;
        break;
      case LINE_FEED:
        nextRow(s);
        break;
      case BACKSPACE:
        s.cursorColumn = std::max(1, s.cursorColumn - 1);
        break;
      case TAB:
        do {
          drawCharacter(s, ' ');
        } while ((s.cursorColumn - 1) % TAB_WIDTH != 0);
        endedWithCharacter = true;
        break;
      case BELL:
        displayBackend().beep();
        break;
      default:
        drawCharacter(s, static_cast<std::uint8_t>(byte));
        endedWithCharacter = true;
        break;
    }
  }
  if (s.cursorRow <= TEXT_ROWS) return;
  if (endedWithCharacter) {
    // The last cell of the screen was just written: keep it visible until more text comes.
    s.cursorRow = TEXT_ROWS;
    s.cursorColumn = TEXT_COLUMNS;
    s.pendingScroll = true;
  } else {
    bringCursorOntoScreen(s);
  }
}

}  // namespace

void printText(std::string_view text, int lineEnd) {
  printSegment(text);
  if (lineEnd != 0) printSegment("\r\n");
}

void printNumber(double value, int lineEnd) {
  const std::string digits = formatNumber(value);
  std::array<char, 64> line{};
  std::size_t length = 0;
  if (!(value < 0)) line[length++] = ' ';
  const std::size_t copied = std::min(digits.size(), line.size() - length);
  std::memcpy(line.data() + length, digits.data(), copied);
  printText(std::string_view(line.data(), length + copied), lineEnd);
}

void locate(int row, int column, int /*cursorVisibility: graphics mode shows no cursor*/) {
  const auto acceptable = [](int value, int last) {
    return value == 0 || (value >= 1 && value <= last);
  };
  if (!acceptable(row, TEXT_ROWS) || !acceptable(column, TEXT_COLUMNS)) return;
  auto& s = screenState();
  if (row != 0) s.cursorRow = row;
  if (column != 0) s.cursorColumn = column;
  s.pendingScroll = false;
}

void setTextColour(int foreground, int background) {
  auto& s = screenState();
  if (foreground != -1) s.foregroundColour = detail::wrapColour(foreground);
  if (background != -1) s.backgroundColour = detail::wrapColour(background);
}

int cursorRow() {
  return screenState().cursorRow;
}
int cursorColumn() {
  return screenState().cursorColumn;
}

void clearScreen() {
  auto& s = screenState();
  if (s.picturesKept) {
    PageWriter writer;
    std::memset(writer.row(0), s.backgroundColour, PAGE_BYTES);
    writer.markRows(0, SCREEN_HEIGHT - 1);
  }
  s.cursorRow = 1;
  s.cursorColumn = 1;
  s.pendingScroll = false;
}

}  // namespace kestal
