// Helpers for looking at the screen in tests.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "screen/screen.h"

namespace kestal::testing {

using Pixel = std::pair<int, int>;  // x, y
using PixelSet = std::set<Pixel>;

// Work page index at (x, y), read straight from page memory.
int pixelAt(int x, int y);
// Every pixel of the work page that is not colour 0.
PixelSet litPixels();

// Each test starts from a freshly opened screen.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { openScreen(); }
};

}  // namespace kestal::testing
