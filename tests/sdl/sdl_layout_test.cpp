// The window title and where the picture goes on the output.
#include "platform/sdl/sdl_layout.h"

#include <gtest/gtest.h>

namespace kestal {
namespace {

void expectRect(const SDL_Rect& actual, int x, int y, int w, int h) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
  EXPECT_EQ(actual.w, w);
  EXPECT_EQ(actual.h, h);
}

TEST(WindowTitle, IsTheFileNameWithoutDirectoryAndExtension) {
  EXPECT_EQ(windowTitleFromPath("/usr/games/kestal"), "kestal");
  EXPECT_EQ(windowTitleFromPath("./kestal-silent"), "kestal-silent");
  EXPECT_EQ(windowTitleFromPath("kestal"), "kestal");
  EXPECT_EQ(windowTitleFromPath("C:\\Games\\KESTAL.EXE"), "KESTAL");
  EXPECT_EQ(windowTitleFromPath("build/kestal.v2.exe"), "kestal.v2");
  EXPECT_EQ(windowTitleFromPath("/opt/v1.5/kestal"), "kestal");
  EXPECT_EQ(windowTitleFromPath("/opt/.kestal"), ".kestal");
}

TEST(PictureRect, FullScreenHasTheFourByThreeShapeCentred) {
  expectRect(pictureRect(1024, 768, true), 0, 0, 1024, 768);
  expectRect(pictureRect(640, 480, true), 0, 0, 640, 480);
  expectRect(pictureRect(1920, 1080, true), 240, 0, 1440, 1080);
  expectRect(pictureRect(1280, 1024, true), 0, 32, 1280, 960);
  expectRect(pictureRect(640, 400, true), 53, 0, 533, 400);
}

TEST(PictureRect, WindowKeepsSquarePixels) {
  expectRect(pictureRect(640, 400, false), 0, 0, 640, 400);
  expectRect(pictureRect(1280, 800, false), 0, 0, 1280, 800);
  expectRect(pictureRect(1000, 400, false), 180, 0, 640, 400);
  expectRect(pictureRect(640, 600, false), 0, 100, 640, 400);
}

TEST(PointerPosition, LandsOnThePixelsShownForThePicturePixel) {
  const SDL_Rect window{0, 0, 640, 400};
  EXPECT_EQ(outputPointOfPixel(window, 1, 1).x, 1);
  EXPECT_EQ(outputPointOfPixel(window, 1, 1).y, 1);
  EXPECT_EQ(outputPointOfPixel(window, 639, 399).x, 639);
  EXPECT_EQ(outputPointOfPixel(window, 639, 399).y, 399);
  // 1.6 by 1.92 on a 1024 x 768 screen: the centre of (1, 1) is at (2.4, 2.88).
  const SDL_Rect screen{0, 0, 1024, 768};
  EXPECT_EQ(outputPointOfPixel(screen, 1, 1).x, 2);
  EXPECT_EQ(outputPointOfPixel(screen, 1, 1).y, 2);
  EXPECT_EQ(outputPointOfPixel(screen, 639, 399).x, 1023);
  EXPECT_EQ(outputPointOfPixel(screen, 639, 399).y, 767);
  // Bars to the left: (320, 200) sits at 240 + 320.5 * 2.25 = 961.1, 200.5 * 2.7 = 541.35.
  const SDL_Rect wide{240, 0, 1440, 1080};
  EXPECT_EQ(outputPointOfPixel(wide, 320, 200).x, 961);
  EXPECT_EQ(outputPointOfPixel(wide, 320, 200).y, 541);
}

}  // namespace
}  // namespace kestal
