// The first thing a player sees: the start-up screen, full screen, exactly as the headless
// replay draws it; and the same picture in a window and back after Alt+Enter.
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

// Waits for the window manager to give the window its new place.
std::optional<Rect> waitForWindowRect(RunningGame& game,
                                      const std::function<bool(const Rect&)>& wanted) {
  std::optional<Rect> rect;
  for (int attempt = 0; attempt < 100; ++attempt) {
    rect = game.windowRect();
    if (rect && wanted(*rect)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return rect;
}

TEST_F(EndToEndTest, StartUpScreenIsTheReplaysPictureInFullScreen) {
  std::vector<Program> programs{silentEdition()};
  if (soundEditionBuilt()) programs.push_back(soundEdition());
  for (const Program& program : programs) {
    SCOPED_TRACE(program.title());
    const RgbImage expected = startUpScreen(program.edition);
    RunningGame game = start(program);
    ASSERT_TRUE(game.started()) << game.errors();

    // Titled with the program's name, and covering the whole screen.
    // Title, prompt and instructions; the shimmering text keeps its shapes.
    expectShows(game, expected, DELAY_PROMPT_WAVE, program.title() + "-start-up");
    const std::optional<WindowId> window = game.window();
    ASSERT_TRUE(window);
    EXPECT_EQ(x().windowName(*window), program.title());
    EXPECT_EQ(x().windowNetName(*window), program.title());
    EXPECT_EQ(game.windowRect(), x().screen());

    game.press({"Escape"});
    EXPECT_EQ(game.waitForExit(), 0) << game.errors();
  }
}

TEST_F(EndToEndTest, AltEnterSwitchesToAWindowAndBackWithThePictureIntact) {
  const RgbImage expected = startUpScreen("silent");
  RunningGame game = start(silentEdition());
  ASSERT_TRUE(game.started()) << game.errors();
  expectShows(game, expected, DELAY_PROMPT_WAVE, "full-screen");
  EXPECT_EQ(game.windowRect(), x().screen());

  // A 640 x 400 window: the picture pixel for pixel, somewhere on the screen.
  game.press({"alt+Return"});
  const std::optional<Rect> window = waitForWindowRect(
      game, [](const Rect& rect) { return rect.width == 640 && rect.height == 400; });
  ASSERT_TRUE(window);
  EXPECT_EQ(window->width, 640);
  EXPECT_EQ(window->height, 400);
  expectShows(game, expected, DELAY_PROMPT_WAVE, "windowed");

  // And full screen again.
  game.press({"alt+Return"});
  const Rect screen = x().screen();
  EXPECT_EQ(waitForWindowRect(game, [&](const Rect& rect) { return rect == screen; }), screen);
  expectShows(game, expected, DELAY_PROMPT_WAVE, "full-screen-again");

  // The switches typed nothing: the prompt still takes Escape as its first key.
  game.press({"Escape"});
  EXPECT_EQ(game.waitForExit(), 0) << game.errors();
}

}  // namespace
}  // namespace e2e
