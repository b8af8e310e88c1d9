#include "tests/screen/screen_test_support.h"

#include "screen/screen_access.h"

namespace kestal::testing {

int pixelAt(int x, int y) {
  return workPagePixels()[static_cast<std::size_t>(y * SCREEN_WIDTH + x)];
}

PixelSet litPixels() {
  PixelSet lit;
  const auto page = workPagePixels();
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      if (page[static_cast<std::size_t>(y * SCREEN_WIDTH + x)] != 0) lit.insert({x, y});
    }
  }
  return lit;
}

}  // namespace kestal::testing
