#include <gtest/gtest.h>

#include "game/palettes.h"

namespace kestal {
namespace {

struct Components {
  int red, green, blue;
  friend bool operator==(const Components&, const Components&) = default;
};

Components components(GamePalette palette, int entry) {
  const auto v = paletteValue(palette, entry);
  return {static_cast<int>(v % 256), static_cast<int>(v / 256 % 256), static_cast<int>(v / 65536)};
}

TEST(Palettes, GamePaletteTellingEntries) {
  EXPECT_EQ(components(GamePalette::Game, 85), (Components{7, 4, 21}));
  EXPECT_EQ(components(GamePalette::Game, 100), (Components{13, 6, 36}));
  EXPECT_EQ(components(GamePalette::Game, 127), (Components{23, 12, 63}));
  EXPECT_EQ(components(GamePalette::Game, 149), (Components{7, 21, 5}));
  EXPECT_EQ(components(GamePalette::Game, 191), (Components{23, 63, 15}));
  EXPECT_EQ(components(GamePalette::Game, 201), (Components{7, 4, 2}));
  EXPECT_EQ(components(GamePalette::Game, 215), (Components{20, 12, 6}));
  EXPECT_EQ(components(GamePalette::Game, 248), (Components{49, 30, 16}));
  EXPECT_EQ(components(GamePalette::Game, 255), (Components{55, 33, 19}));
  EXPECT_EQ(components(GamePalette::Game, 63), (Components{63, 63, 63}));
}

TEST(Palettes, PausePaletteTellingEntries) {
  EXPECT_EQ(components(GamePalette::Pause, 63), (Components{30, 30, 30}));
  EXPECT_EQ(components(GamePalette::Pause, 127), (Components{12, 5, 30}));
  EXPECT_EQ(components(GamePalette::Pause, 137), (Components{1, 4, 0}));
  EXPECT_EQ(components(GamePalette::Pause, 191), (Components{12, 31, 6}));
  EXPECT_EQ(components(GamePalette::Pause, 255), (Components{27, 16, 9}));
}

TEST(Palettes, EveryRampStartsBlackAndNeverFallsAsItRises) {
  for (GamePalette palette : {GamePalette::Game, GamePalette::Pause}) {
    for (int ramp = 0; ramp < 4; ++ramp) {
      EXPECT_EQ(paletteValue(palette, 64 * ramp), 0);
      for (int i = 1; i < 64; ++i) {
        const Components lower = components(palette, 64 * ramp + i - 1);
        const Components upper = components(palette, 64 * ramp + i);
        EXPECT_LE(lower.red, upper.red);
        EXPECT_LE(lower.green, upper.green);
        EXPECT_LE(lower.blue, upper.blue);
        EXPECT_LE(upper.red, 63);
      }
    }
  }
}

}  // namespace
}  // namespace kestal
