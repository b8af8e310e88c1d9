// captureImage and putImage: rectangles of the work page in ImageBuffer form.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "screen/coordinates.h"
#include "screen/screen_state.h"

namespace kestal {
namespace {

constexpr std::size_t HEADER_BYTES = 4;
constexpr unsigned BYTES_PER_PIXEL = 1;

void writeWord(ImageBuffer buffer, std::size_t offset, unsigned value) {
  buffer[offset] = static_cast<std::uint8_t>(value & 0xFF);
  buffer[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

unsigned readWord(ConstImageBuffer buffer, std::size_t offset) {
  return buffer[offset] | (static_cast<unsigned>(buffer[offset + 1]) << 8);
}

// Eight pixels a step as one 64-bit word, then the rest one by one: the shield gauge's
// margin, 35 pixels by 299 rows, slides down a row every frame.
template <typename Combine>
void combineRow(std::uint8_t* target, const std::uint8_t* source, std::size_t count,
                Combine combine) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t t = 0, s = 0;
    std::memcpy(&t, target + i, sizeof t);
    std::memcpy(&s, source + i, sizeof s);
    t = combine(t, s);
    std::memcpy(target + i, &t, sizeof t);
  }
  for (; i < count; ++i) target[i] = static_cast<std::uint8_t>(combine(target[i], source[i]));
}

}  // namespace

// Without pictures there is nothing to capture, and the buffer is left as it is: the game
// only ever hands it back to putImage.
void captureImage(double x1, double y1, double x2, double y2, ImageBuffer buffer) {
  if (!detail::drawing()) return;
  std::int64_t left = detail::toPixel(x1), top = detail::toPixel(y1);
  std::int64_t right = detail::toPixel(x2), bottom = detail::toPixel(y2);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (!detail::onScreen(left, top) || !detail::onScreen(right, bottom)) return;
  const auto width = static_cast<std::size_t>(right - left + 1);
  const auto height = static_cast<std::size_t>(bottom - top + 1);
  if (buffer.size() < HEADER_BYTES + width * height) return;

  writeWord(buffer, 0, static_cast<unsigned>(width * 8 + BYTES_PER_PIXEL));
  writeWord(buffer, 2, static_cast<unsigned>(height));
  const auto page = workPagePixels();
  auto out = buffer.begin() + HEADER_BYTES;
  for (std::size_t row = 0; row < height; ++row) {
    const auto from = page.begin() + (static_cast<std::size_t>(top) + row) * SCREEN_WIDTH +
                      static_cast<std::size_t>(left);
    out = std::copy(from, from + static_cast<std::ptrdiff_t>(width), out);
  }
}

void putImage(double x, double y, ConstImageBuffer buffer, PutMode mode) {
  if (!detail::drawing() || buffer.size() < HEADER_BYTES) return;
  const unsigned widthWord = readWord(buffer, 0);
  if ((widthWord & 7) > BYTES_PER_PIXEL) return;
  const std::int64_t width = widthWord / 8;
  const std::int64_t height = readWord(buffer, 2);
  // A buffer too short for its own header is refused rather than read past its end.
  if (buffer.size() < HEADER_BYTES + static_cast<std::size_t>(width * height)) return;

  const std::int64_t left = detail::toPixel(x), top = detail::toPixel(y);
  const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
  const std::int64_t lastRow = std::min<std::int64_t>(height, SCREEN_HEIGHT - top) - 1;
  const std::int64_t firstCol = std::max<std::int64_t>(0, -left);
  const std::int64_t lastCol = std::min<std::int64_t>(width, SCREEN_WIDTH - left) - 1;
  if (firstRow > lastRow || firstCol > lastCol) return;

  detail::PageWriter writer;
  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    const std::uint8_t* source = buffer.data() + HEADER_BYTES + row * width + firstCol;
    std::uint8_t* target = writer.row(static_cast<int>(top + row)) + left + firstCol;
    const auto count = static_cast<std::size_t>(lastCol - firstCol + 1);
    if (mode == PutMode::And) {
      combineRow(target, source, count, [](std::uint64_t t, std::uint64_t s) { return t & s; });
    } else {
      combineRow(target, source, count, [](std::uint64_t t, std::uint64_t s) { return t ^ s; });
    }
  }
  writer.markRows(static_cast<int>(top + firstRow), static_cast<int>(top + lastRow));
}

}  // namespace kestal
