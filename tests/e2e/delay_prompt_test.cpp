// The Delay prompt typed at with real keys: what it echoes, what Enter does with a negative
// number, and the three ways to leave the program from it.
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Innermost rectangle of the play-field border: colour 38 (its top edge is row 24).
constexpr int BORDER_X = 300;
constexpr int BORDER_Y = 24;

TEST_F(EndToEndTest, DelayPromptEchoesWhatIsTypedAndANegativeDelayBringsBackDefaultColours) {
  RgbImage expected = startUpScreen("silent");
  RunningGame game = start(silentEdition());
  ASSERT_TRUE(game.started()) << game.errors();
  expectShows(game, expected, DELAY_PROMPT_WAVE, "prompt-before-typing");

  // Backspace takes the 7 back: "-5" behind the prompt, from row 4, column 21, and nothing
  // in the columns after it.
  game.press({"minus", "7", "BackSpace", "5"});
  paintText(expected, font(), 4, 21, "-5", Rgb{255, 255, 255});
  expectShows(game, expected, DELAY_PROMPT_WAVE, "prompt-echo");

  // A negative delay brings back the screen's own palette: there the border's colour 38 is
  // (255, 0, 125), where the game's grey ramp would show it at (153, 153, 153).
  game.press({"Return"});
  const auto border = game.waitForPicture([](const RgbImage& picture) {
    return picture.at(BORDER_X, BORDER_Y) == Rgb{255, 0, 125};
  });
  ASSERT_TRUE(border.last);
  EXPECT_TRUE(border.found) << "the border shows " << describe(border.last->at(BORDER_X, BORDER_Y));

  // Still in the default colours when the game is left.
  std::this_thread::sleep_for(500ms);
  game.press({"Escape"});
  expectShows(game, playAgainScreen("silent", "1 -\n1 5\n2 Enter\n"), PLAY_AGAIN_WAVE,
              "play-again-default-colours");
  game.press({"n"});
  EXPECT_EQ(game.waitForExit(), 0) << game.errors();
}

// Each quitting key on a fresh program, in both editions, once the prompt is up.
TEST_F(EndToEndTest, EscapeQOrTheCloseButtonAtThePromptEndTheProgramWithStatusZero) {
  std::vector<Program> programs{silentEdition()};
  if (soundEditionBuilt()) programs.push_back(soundEdition());
  const std::vector<std::string> ways{"Escape", "q", "close button"};
  for (const Program& program : programs) {
    const RgbImage prompt = startUpScreen(program.edition);
    for (const std::string& way : ways) {
      SCOPED_TRACE(program.title() + ", " + way);
      RunningGame game = start(program);
      ASSERT_TRUE(game.started()) << game.errors();
      expectShows(game, prompt, DELAY_PROMPT_WAVE, program.title() + "-prompt");
      if (way == "close button") {
        const std::optional<WindowId> window = game.window();
        ASSERT_TRUE(window);
        EXPECT_TRUE(x().requestClose(*window));
      } else {
        game.press({way});
      }
      EXPECT_EQ(game.waitForExit(), 0) << game.errors();
    }
  }
}

}  // namespace
}  // namespace e2e
