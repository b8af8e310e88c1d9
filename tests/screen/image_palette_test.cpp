// The palette, and capturing and putting rectangles of the work page.
#include <array>
#include <vector>

#include "screen/screen_access.h"
#include "tests/screen/screen_test_support.h"

namespace kestal::testing {
namespace {

using PaletteTest = ScreenTest;
using ImageTest = ScreenTest;

TEST_F(PaletteTest, DefaultPaletteFollowsItsTable) {
  const Palette& p = displayPalette();
  EXPECT_EQ(p[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(p[1], (Rgb{0, 0, 170}));
  EXPECT_EQ(p[6], (Rgb{170, 85, 0}));
  EXPECT_EQ(p[9], (Rgb{85, 85, 255}));
  EXPECT_EQ(p[15], (Rgb{255, 255, 255}));
  EXPECT_EQ(p[16], (Rgb{0, 0, 0}));
  EXPECT_EQ(p[23], (Rgb{97, 97, 97}));
  EXPECT_EQ(p[31], (Rgb{255, 255, 255}));
  EXPECT_EQ(p[32], (Rgb{0, 0, 255}));      // block 1 starts at blue
  EXPECT_EQ(p[33], (Rgb{64, 0, 255}));     // then red rises
  EXPECT_EQ(p[40], (Rgb{255, 0, 0}));      // pure red at k = 8
  EXPECT_EQ(p[44], (Rgb{255, 255, 0}));    // yellow at k = 12
  EXPECT_EQ(p[57], (Rgb{157, 125, 255}));  // block 2, k = 1
  EXPECT_EQ(p[104], (Rgb{0, 0, 113}));     // block 4 starts
  EXPECT_EQ(p[247], (Rgb{44, 48, 64}));    // block 9, k = 23: pattern (0, 1, 4)
  for (int i = 248; i < 256; ++i) EXPECT_EQ(p[static_cast<std::size_t>(i)], (Rgb{0, 0, 0}));
}

TEST_F(PaletteTest, EntriesTakeSixBitComponentsAndAllMinusOneRestores) {
  PresentedFrame frame;
  collectChanges(frame);

  setPaletteEntry(5, 63, -1, -1);
  EXPECT_EQ(displayPalette()[5], (Rgb{255, 0, 0}));
  EXPECT_TRUE(collectChanges(frame));
  EXPECT_TRUE(frame.paletteChanged);
  EXPECT_EQ(frame.palette[5], (Rgb{255, 0, 0}));
  EXPECT_EQ(frame.changedRows.count(), 0u);  // recolouring copies no rows

  setPaletteEntry(5, 32 * 65536, -1, -1);
  EXPECT_EQ(displayPalette()[5], (Rgb{0, 0, 129}));
  setPaletteEntry(7, 1 + 2 * 256 + 62 * 65536 + 64, -1, -1);  // red 65 wraps to 1
  EXPECT_EQ(displayPalette()[7], (Rgb{4, 8, 250}));

  setPaletteEntry(-1, -1, -1, -1);
  EXPECT_EQ(displayPalette()[5], (Rgb{170, 0, 170}));
  EXPECT_EQ(displayPalette()[7], (Rgb{170, 170, 170}));
  EXPECT_TRUE(collectChanges(frame));
  EXPECT_TRUE(frame.paletteChanged);
}

TEST_F(ImageTest, CaptureWritesHeaderAndRowsAndXorPutClears) {
  plotPoint(81, 160, 7);
  plotPoint(80, 161, 9);
  plotPoint(87, 175, 200);
  std::array<std::uint8_t, 4 + 8 * 16> buffer{};
  captureImage(87, 175, 80, 160, buffer);  // corners in any order
  EXPECT_EQ(buffer[0], 65);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[2], 16);
  EXPECT_EQ(buffer[3], 0);
  EXPECT_EQ(buffer[4 + 1], 7);
  EXPECT_EQ(buffer[4 + 8], 9);
  EXPECT_EQ(buffer[4 + 127], 200);

  putImage(80, 160, buffer, PutMode::Xor);
  EXPECT_TRUE(litPixels().empty());

  // XOR onto a clear page puts the picture back; AND with it keeps only common bits.
  putImage(300, 10, buffer, PutMode::Xor);
  EXPECT_EQ(pixelAt(301, 10), 7);
  EXPECT_EQ(pixelAt(307, 25), 200);
  plotPoint(300, 11, 0xFF);
  putImage(300, 10, buffer, PutMode::And);
  EXPECT_EQ(pixelAt(300, 11), 9);
  EXPECT_EQ(pixelAt(301, 10), 7);
  EXPECT_EQ(litPixels().size(), 3u);
}

TEST_F(ImageTest, RefusedCapturesAndPutsChangeNothing) {
  plotPoint(0, 0, 3);
  std::vector<std::uint8_t> small(4 + 8 * 16 - 1, 0xAA);
  captureImage(0, 0, 7, 15, small);  // one byte short
  EXPECT_EQ(small, std::vector<std::uint8_t>(small.size(), 0xAA));

  std::vector<std::uint8_t> buffer(4 + 8 * 16, 0xAA);
  captureImage(-1, 0, 6, 15, buffer);  // partly off the screen
  captureImage(633, 0, 640, 15, buffer);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(buffer.size(), 0xAA));

  // A header whose low three bits are not 0 or 1 is refused; 0 is accepted.
  std::vector<std::uint8_t> image{8 * 2 + 2, 0, 1, 0, 5, 6};
  putImage(10, 10, image, PutMode::Xor);
  EXPECT_EQ(pixelAt(10, 10), 0);
  image[0] = 8 * 2;
  putImage(10, 10, image, PutMode::Xor);
  EXPECT_EQ(pixelAt(10, 10), 5);
  EXPECT_EQ(pixelAt(11, 10), 6);

  // Only the part on the screen is combined.
  image[0] = 8 * 2 + 1;
  putImage(639, 399, image, PutMode::Xor);
  putImage(-1, 50, image, PutMode::Xor);
  EXPECT_EQ(pixelAt(639, 399), 5);
  EXPECT_EQ(pixelAt(0, 50), 6);
  EXPECT_EQ(litPixels().size(), 5u);
}

}  // namespace
}  // namespace kestal::testing
