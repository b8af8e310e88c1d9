// A short game of the silent edition: thrusters on arrows and letters, the pause, the close
// button, Escape to the play-again question and "n" to leave.
#include <chrono>
#include <cmath>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/game_colours.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Two rectangles of the play-field border, by the top edge: the innermost in colour 38,
// the fifth in colour 63 (the last palette step to change when the game pauses or resumes).
constexpr int BORDER_X = 300;
constexpr int BORDER_Y = 24;
constexpr int BRIGHT_BORDER_Y = 20;

struct Point {
  double x, y;
};

// The hull is a fan of lines in the amber colours 200, 202, ..., 230; nothing else inside
// the play field uses them while no mine has burst, but for the shield ring, which takes
// colour 200 at the top of its pulse. Its centre of mass stands for the ship.
std::optional<Point> shipCentre(const RgbImage& picture) {
  std::set<std::tuple<int, int, int>> hull;
  for (int colour = 202; colour <= 230; colour += 2) {
    const Rgb c = gamePaletteColour(colour);
    hull.insert({c.r, c.g, c.b});
  }
  double sumX = 0, sumY = 0;
  int count = 0;
  for (int y = 26; y < 373; ++y) {
    for (int x = 61; x < 578; ++x) {
      const Rgb c = picture.at(x, y);
      if (hull.count({c.r, c.g, c.b}) == 0) continue;
      sumX += x;
      sumY += y;
      ++count;
    }
  }
  if (count < 20) return std::nullopt;
  return Point{sumX / count, sumY / count};
}

// At one pixel per frame the ship covers some 24 pixels in 400 ms at 60 Hz; a third of
// that is still unmistakably on the move. At rest the centre wobbles by a fraction of a
// pixel as the breathing shield ring covers parts of the hull.
void expectDirection(double travel, int direction, const char* axis) {
  constexpr double MOVING = 8;
  constexpr double STILL = 3;
  if (direction == 0) {
    EXPECT_LT(std::abs(travel), STILL) << axis;
  } else if (direction > 0) {
    EXPECT_GT(travel, MOVING) << axis;
  } else {
    EXPECT_LT(travel, -MOVING) << axis;
  }
}

class PlayTest : public EndToEndTest {
 protected:
  // How far the ship goes in a while, a moment after `keys` were typed.
  std::optional<Point> travelAfter(RunningGame& game, const std::vector<std::string>& keys) {
    game.press(keys);
    std::this_thread::sleep_for(150ms);
    const std::optional<RgbImage> before = game.picture();
    std::this_thread::sleep_for(400ms);
    const std::optional<RgbImage> after = game.picture();
    if (!before || !after) return std::nullopt;
    const std::optional<Point> from = shipCentre(*before);
    const std::optional<Point> to = shipCentre(*after);
    if (!from || !to) return std::nullopt;
    return Point{to->x - from->x, to->y - from->y};
  }

  void expectTravel(RunningGame& game, const std::vector<std::string>& keys, int dx, int dy) {
    SCOPED_TRACE(keys.front());
    const std::optional<Point> travel = travelAfter(game, keys);
    ASSERT_TRUE(travel) << "the ship is not to be seen";
    expectDirection(travel->x, dx, "x");
    expectDirection(travel->y, dy, "y");
  }

  // The border in the colours of one palette, all of whose steps are in place.
  static bool bordered(const RgbImage& picture, Rgb (*palette)(int)) {
    return picture.at(BORDER_X, BORDER_Y) == palette(38) &&
           picture.at(BORDER_X, BRIGHT_BORDER_Y) == palette(63);
  }
};

TEST_F(PlayTest, KeysFlyTheShipPauseTheGameAndEndIt) {
  RunningGame game = start(silentEdition());
  ASSERT_TRUE(game.started()) << game.errors();
  expectShows(game, startUpScreen("silent"), DELAY_PROMPT_WAVE, "play-prompt");

  // Enter alone: the silent edition's default delay, the game's own colours.
  game.press({"Return"});
  const auto play = game.waitForPicture([&](const RgbImage& picture) {
    return bordered(picture, gamePaletteColour) && shipCentre(picture).has_value();
  });
  ASSERT_TRUE(play.found) << "no play field with a ship";
  const Point start = *shipCentre(*play.last);
  EXPECT_NEAR(start.x, 200, 6) << "the ship starts at (200, 200)";
  EXPECT_NEAR(start.y, 200, 6);

  // One thrust per key, each changing the speed by one pixel per frame.
  expectTravel(game, {"shift"}, 0, 0);  // a key without a code: still at rest
  expectTravel(game, {"Right"}, +1, 0);
  expectTravel(game, {"d", "d"}, -1, 0);
  expectTravel(game, {"g"}, 0, 0);
  expectTravel(game, {"Down"}, 0, +1);
  expectTravel(game, {"r"}, 0, 0);
  expectTravel(game, {"Up"}, 0, -1);
  expectTravel(game, {"v"}, 0, 0);

  // "p" dims the palette to the pause colours and freezes the picture; any key resumes.
  game.press({"p"});
  const auto paused = game.waitForPicture(
      [&](const RgbImage& picture) { return bordered(picture, pausePaletteColour); });
  ASSERT_TRUE(paused.found) << "the border shows " << describe(paused.last->at(BORDER_X, BORDER_Y));
  std::this_thread::sleep_for(300ms);
  const std::optional<RgbImage> stillPaused = game.picture();
  ASSERT_TRUE(stillPaused);
  EXPECT_TRUE(*stillPaused == *paused.last) << "something moved during the pause";
  game.press({"x"});
  const auto resumed = game.waitForPicture(
      [&](const RgbImage& picture) { return bordered(picture, gamePaletteColour); });
  EXPECT_TRUE(resumed.found);

  // The close button does nothing during play: the stars keep flowing.
  const std::optional<WindowId> window = game.window();
  ASSERT_TRUE(window);
  EXPECT_TRUE(x().requestClose(*window));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(game.process().running());
  const std::optional<RgbImage> afterClose = game.picture();
  std::this_thread::sleep_for(100ms);
  const std::optional<RgbImage> later = game.picture();
  ASSERT_TRUE(afterClose && later);
  EXPECT_FALSE(*afterClose == *later) << "the game stopped after the close button";
  EXPECT_TRUE(bordered(*later, gamePaletteColour));

  // Escape ends the game: the question over the instructions, as the replay shows it.
  game.press({"Escape"});
  expectShows(game, playAgainScreen("silent", "1 Enter\n"), PLAY_AGAIN_WAVE, "play-again");
  game.press({"n"});
  EXPECT_EQ(game.waitForExit(), 0) << game.errors();
}

}  // namespace
}  // namespace e2e
