#include "tools/replay/png_frame.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "tests/replay/png_test_support.h"

namespace {

using namespace kestal;
using namespace kestal::replay;

TEST(PngFrame, FileNamesHaveSixDigitRetraces) {
  EXPECT_EQ(pngFramePath("out", 42), "out/frame-000042.png");
  EXPECT_EQ(pngFramePath("a/b", 0), "a/b/frame-000000.png");
  EXPECT_EQ(pngFramePath("d", 1234567), "d/frame-1234567.png");
}

TEST(PngFrame, PixelsAreThePaletteColoursOfTheirIndices) {
  Palette palette;
  for (int i = 0; i < 256; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i * 7)};
  }
  static std::array<std::uint8_t, PAGE_BYTES> page;
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) page[y * SCREEN_WIDTH + x] = (x + 3 * y) % 256;
  }
  const std::string path = ::testing::TempDir() + "png_frame_test.png";
  PngFrameWriter writer;
  ASSERT_EQ(writer.write(path, page, palette), "");

  const test_support::DecodedPng png = test_support::decodePng(path);
  EXPECT_EQ(png.width, 640u);
  EXPECT_EQ(png.height, 400u);
  EXPECT_EQ(png.format, static_cast<std::uint32_t>(PNG_FORMAT_RGB));
  ASSERT_EQ(png.rgb.size(), 640u * 400u * 3u);
  int mismatches = 0;
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int index = (x + 3 * y) % 256;
      const std::uint8_t* rgb = &png.rgb[(y * SCREEN_WIDTH + x) * 3];
      mismatches += rgb[0] != index || rgb[1] != 255 - index || rgb[2] != (index * 7) % 256;
    }
  }
  EXPECT_EQ(mismatches, 0);
  std::filesystem::remove(path);
}

TEST(PngFrame, AnUnwritablePathIsReported) {
  static std::array<std::uint8_t, PAGE_BYTES> page;
  PngFrameWriter writer;
  EXPECT_NE(writer.write("/nonexistent-dir/frame.png", page, Palette{}), "");
}

}  // namespace
