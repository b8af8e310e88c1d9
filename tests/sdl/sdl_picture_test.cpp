// The visible page turned into display colours, and which rows go up to the display.
#include "platform/sdl/sdl_picture.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace kestal {
namespace {

using Runs = std::vector<std::pair<int, int>>;  // first row, row count

Runs upload(PictureBuffer& picture) {
  Runs runs;
  picture.uploadDirtyRows([&](int first, int count, const std::uint32_t* pixels) {
    EXPECT_EQ(pixels[0], picture.pixel(0, first));
    runs.emplace_back(first, count);
  });
  return runs;
}

void fillRow(PresentedFrame& frame, int y, std::uint8_t index) {
  std::fill_n(frame.pixels.begin() + y * SCREEN_WIDTH, SCREEN_WIDTH, index);
}

TEST(ArgbColour, PacksRedGreenBlueUnderAnOpaqueAlpha) {
  EXPECT_EQ(argbOf(Rgb{0x12, 0x34, 0x56}), 0xFF123456u);
  EXPECT_EQ(argbOf(Rgb{255, 0, 0}), 0xFFFF0000u);
  EXPECT_EQ(argbOf(Rgb{0, 0, 0}), 0xFF000000u);
}

TEST(PictureBuffer, StartsBlackWithEveryRowToUpload) {
  PictureBuffer picture;
  EXPECT_EQ(picture.pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(picture.pixel(639, 399), 0xFF000000u);
  EXPECT_EQ(upload(picture), (Runs{{0, 400}}));
  EXPECT_EQ(upload(picture), Runs{});
}

TEST(PictureBuffer, ConvertsChangedRowsAndRecoloursOnPaletteChanges) {
  PictureBuffer picture;
  upload(picture);
  auto frame = std::make_unique<PresentedFrame>();
  frame->palette = DEFAULT_PALETTE;
  frame->palette[7] = Rgb{1, 2, 3};
  frame->palette[9] = Rgb{255, 0, 128};
  frame->paletteChanged = true;
  fillRow(*frame, 5, 7);
  frame->changedRows.set(5);
  picture.apply(*frame);
  EXPECT_EQ(picture.pixel(0, 5), 0xFF010203u);
  EXPECT_EQ(picture.pixel(639, 5), 0xFF010203u);
  EXPECT_EQ(picture.pixel(0, 6), 0xFF000000u);
  EXPECT_EQ(upload(picture), (Runs{{0, 400}}));  // a new palette recolours every row

  // Only the rows marked changed are converted and uploaded, in contiguous runs.
  frame->paletteChanged = false;
  frame->changedRows.reset();
  for (const int y : {10, 11, 20, 399}) {
    fillRow(*frame, y, 9);
    frame->changedRows.set(y);
  }
  fillRow(*frame, 30, 9);  // not marked: stays as it was
  picture.apply(*frame);
  EXPECT_EQ(picture.pixel(3, 10), 0xFFFF0080u);
  EXPECT_EQ(picture.pixel(3, 11), 0xFFFF0080u);
  EXPECT_EQ(picture.pixel(3, 399), 0xFFFF0080u);
  EXPECT_EQ(picture.pixel(3, 30), 0xFF000000u);
  EXPECT_EQ(picture.pixel(3, 5), 0xFF010203u);
  EXPECT_EQ(upload(picture), (Runs{{10, 2}, {20, 1}, {399, 1}}));

  // A palette change alone recolours what is already shown.
  frame->changedRows.reset();
  frame->palette[7] = Rgb{0, 0, 170};
  frame->paletteChanged = true;
  picture.apply(*frame);
  EXPECT_EQ(picture.pixel(100, 5), 0xFF0000AAu);
  EXPECT_EQ(picture.pixel(100, 10), 0xFFFF0080u);
}

TEST(PictureBuffer, ReuploadsEverythingWhenTheDisplayLostItsCopy) {
  PictureBuffer picture;
  upload(picture);
  picture.markAllDirty();
  EXPECT_TRUE(picture.hasDirtyRows());
  EXPECT_EQ(upload(picture), (Runs{{0, 400}}));
  EXPECT_FALSE(picture.hasDirtyRows());
}

}  // namespace
}  // namespace kestal
