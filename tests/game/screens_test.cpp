// What the screens show, read back pixel by pixel from the work page.
#include <set>
#include <vector>

#include "phase_fixture.h"
#include "screen/screen_access.h"

namespace kestal::testing {
namespace {

int pixel(int x, int y) {
  return workPagePixels()[static_cast<std::size_t>(y) * SCREEN_WIDTH + x];
}

// The colours used in the 8 x 16 cell of text row r, column c (0 for the background).
std::set<int> cellColours(int row, int column) {
  std::set<int> colours;
  for (int y = 16 * (row - 1); y < 16 * row; ++y) {
    for (int x = 8 * (column - 1); x < 8 * column; ++x) colours.insert(pixel(x, y));
  }
  return colours;
}

using Screens = PhaseTest;

TEST_F(Screens, StartUpScreenHasTitleAndInstructionGradient) {
  startUp(g);
  EXPECT_EQ(cellColours(1, 1), (std::set<int>{0, 15}));    // "*" in the default colour
  EXPECT_EQ(cellColours(2, 1), (std::set<int>{0}));        // the credit starts with a blank
  EXPECT_EQ(cellColours(4, 3), (std::set<int>{0, 15}));    // "D" of the prompt
  EXPECT_EQ(cellColours(7, 1), (std::set<int>{0, 51}));    // heading: 1 + 50
  EXPECT_EQ(cellColours(9, 22), (std::set<int>{0, 180}));  // alpha: 22 + 162 - 3.5, to even
  EXPECT_EQ(cellColours(8, 2), (std::set<int>{0, 215}));   // "A": 2 + 215 - 1.75 = 215.25
  // The rule: glyph 0xC4 fills its row 7, from colour 72 (71.75) to 111.
  const int ruleY = 16 * (18 - 1) + 7;
  for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(x, ruleY), 72);
  for (int x = 312; x < 320; ++x) EXPECT_EQ(pixel(x, ruleY), 111);
  EXPECT_EQ(pixel(320, ruleY), 0);
  EXPECT_EQ(displayPalette()[215], (Rgb{80, 48, 24}));  // the game palette is installed
}

TEST_F(Screens, BorderRunsThroughTheGreyRamp) {
  startLevel(0);
  const int colours[25] = {38, 44, 50, 56, 63, 59, 53, 47, 41, 35, 29, 24, 20,
                           15, 12, 8,  6,  4,  2,  1,  1,  1,  2,  4,  6};
  for (int i = 0; i <= 24; ++i) {
    EXPECT_EQ(pixel(59 - i, 200), colours[i]) << "rectangle " << i;
    EXPECT_EQ(pixel(579 + i, 100), colours[i]) << "rectangle " << i;
    EXPECT_EQ(pixel(300, 24 - i), colours[i]) << "rectangle " << i;
    EXPECT_EQ(pixel(300, 374 + i), colours[i]) << "rectangle " << i;
  }
  EXPECT_EQ(pixel(34, 200), 0);
  EXPECT_EQ(pixel(60, 25), 0);
}

TEST_F(Screens, MineRingsFollowHealthAndEraseWhereLastDrawn) {
  s.mineX[1] = 300;
  s.mineY[1] = 200;
  s.mineHealth[1] = 31;
  redrawMine(s, 1);
  EXPECT_EQ(pixel(292, 200), 40);   // radius 8: 0.65 * 31 + 20 = 40.15
  EXPECT_EQ(pixel(293, 200), 42);   // radius 7
  EXPECT_EQ(pixel(294, 200), 120);  // radius 6: 1.8 * 31 + 64 = 119.8
  EXPECT_EQ(pixel(295, 200), 126);  // radius 5
  EXPECT_EQ(pixel(300, 200), 106);  // radius 1: 1.35 * 31 + 64 = 105.85
  EXPECT_EQ(pixel(308, 200), 40);

  s.mineX[1] = 350;
  s.mineHealth[1] = 10;
  redrawMine(s, 1);
  EXPECT_EQ(pixel(292, 200), 0);
  EXPECT_EQ(pixel(300, 200), 0);
  EXPECT_EQ(pixel(345, 200), 84);  // radius 5: 2 * 10 + 64
  EXPECT_EQ(s.minePrevX[1], 350);
}

TEST_F(Screens, ShipCockpitNoseAndShieldRing) {
  s.shipX = s.shipPrevX = 200;
  s.shipY = s.shipPrevY = 200;
  s.shieldEnergy = 100;
  s.pulse = 1;
  redrawShip(g);
  EXPECT_EQ(pixel(200, 200), 210);
  EXPECT_EQ(pixel(202, 200), 160);
  EXPECT_EQ(pixel(200, 198), 130);
  EXPECT_EQ(pixel(210, 200), 230);  // the nose: the last hull line, 2 * 15 + 200
  EXPECT_EQ(pixel(196, 200), 5);    // ring of radius 1.25 around (198, 200), colour 5 * pulse
  EXPECT_DOUBLE_EQ(s.shieldRadius, 1.25);

  s.shipX = 300;  // moved: the old ship is erased completely
  redrawShip(g);
  for (int x = 180; x < 215; ++x) {
    for (int y = 185; y < 215; ++y) ASSERT_EQ(pixel(x, y), 0) << x << "," << y;
  }
  EXPECT_EQ(pixel(300, 200), 210);
}

TEST_F(Screens, LaserFanConvergesOnTheWallAndIsErasedNextFrame) {
  s.shipX = s.shipPrevX = 200;
  s.shipY = s.shipPrevY = 200;
  s.engineHeat = 0;
  s.pulse = 1;
  s.laserTimer = 2;
  redrawShip(g);
  EXPECT_EQ(s.laserTimer, 1);
  EXPECT_EQ(pixel(578, 200), 76);  // all meet here; the last line, i = 1: 1.5 + 1 + 73
  EXPECT_EQ(pixel(400, 201), 0);   // 3 lines from y 199..201 converge: nothing far out
  redrawShip(g);
  redrawShip(g);  // 1 -> 0 -> idle; each frame erases the fan drawn before
  EXPECT_EQ(s.laserTimer, -1);
  EXPECT_EQ(pixel(578, 200), 0);
  EXPECT_EQ(pixel(400, 200), 0);
}

TEST_F(Screens, StatusColumnAndHeatGauge) {
  s.score = 27;
  s.levelIndex = 2;
  s.colourPulse = 100;
  drawStatusText(s, false);
  EXPECT_EQ(cellColours(1, 77), (std::set<int>{0, 49}));   // "$"
  EXPECT_EQ(cellColours(2, 77), (std::set<int>{0, 50}));   // "2" of the score
  EXPECT_EQ(cellColours(2, 78), (std::set<int>{0, 50}));   // "7"
  EXPECT_EQ(cellColours(3, 77), (std::set<int>{0, 40}));   // "---": 50 - 10
  EXPECT_EQ(cellColours(4, 79), (std::set<int>{0, 206}));  // "l" of "Lvl"
  EXPECT_EQ(cellColours(5, 77), (std::set<int>{0}));       // the sign's blank
  EXPECT_EQ(cellColours(5, 78), (std::set<int>{0, 205}));  // "3"
  EXPECT_EQ(cellColours(6, 77), (std::set<int>{0, 10}));
  drawStatusText(s, true);
  EXPECT_EQ(cellColours(2, 77), (std::set<int>{0, 40}));
  EXPECT_EQ(cellColours(3, 77), (std::set<int>{0, 40}));  // 50 - floor(10.5)
  EXPECT_EQ(cellColours(6, 77), (std::set<int>{0, 9}));

  s.engineHeat = 10;
  drawHeatGauge(s, 0.35);
  EXPECT_EQ(pixel(1, 338), 0);
  EXPECT_EQ(pixel(1, 340), 7);   // |cos(0.1) * 2| * 10 * 0.35 = 6.97
  EXPECT_EQ(pixel(17, 399), 1);  // cos(1.7) is small: the middle of the flame is darkest
}

TEST_F(Screens, VictoryMessageBlinksOnEveryThirdPulse) {
  s.mineCount = 1;
  s.minesKilled = 1;
  s.pulse = 4;
  victoryTest(s);
  EXPECT_EQ(s.messageText, "-!VICTORY!-");
  EXPECT_EQ(cellColours(11, 11), (std::set<int>{0}));  // not printed on this pulse
  s.pulse = 6;
  victoryTest(s);
  EXPECT_EQ(cellColours(11, 11), (std::set<int>{0, 248}));
  EXPECT_EQ(s.messageImage[0] + 256 * s.messageImage[1], 89 * 8 + 1);
  EXPECT_EQ(s.messageImage[2], 17);
  // Next frame: the capture is XORed one pixel up and to the left of where it was taken.
  std::vector<std::uint8_t> before(workPagePixels().begin(), workPagePixels().end());
  drawMessageGhost(s);
  int changed = 0;
  for (int y = 159; y <= 175; ++y) {
    for (int x = 79; x <= 167; ++x) {
      const int captured = s.messageImage[4 + (y - 159) * 89 + (x - 79)];
      EXPECT_EQ(pixel(x, y), before[y * SCREEN_WIDTH + x] ^ captured);
      changed += pixel(x, y) != before[y * SCREEN_WIDTH + x];
    }
  }
  EXPECT_GT(changed, 0);
}

}  // namespace
}  // namespace kestal::testing
