// What every end-to-end test starts from: a private 1024 x 768 X server with a window
// manager, the programs, the console font, and a place for scratch files.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>

#include "tests/e2e/game_picture.h"
#include "tests/e2e/running_game.h"
#include "tests/e2e/scratch_files.h"
#include "tests/e2e/vga_font.h"
#include "tests/e2e/x_server.h"

namespace e2e {

// A 4:3 screen, so that full screen fills it.
inline constexpr int SCREEN_WIDTH = 1024;
inline constexpr int SCREEN_HEIGHT = 768;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override;

  XServer& x() { return *x_; }
  const VgaFont& font() const { return *font_; }
  const std::filesystem::path& scratch() const { return scratch_->path(); }

  // The environment a program needs besides the display: for the sound edition an audio
  // configuration that plays nowhere, unless `audioConfig` gives another.
  Environment environmentFor(const Program& program, const std::string& audioConfig = "");
  // Starts the program from the build directory (where sound/ is).
  RunningGame start(const Program& program, const std::string& audioConfig = "");

  // The replay's picture of the start-up screen (no key typed yet).
  RgbImage startUpScreen(const std::string& edition);
  // The replay's picture at `retrace` after the keys of `script`.
  RgbImage replayed(const std::string& edition, const std::string& script, int retrace);
  // The replay's "Play again? (Y/N)" screen, `script` having started the game with its
  // last key and left it with Escape at retrace 40. The question is printed in the colour
  // the status column set last, which is black in a level's first ten frames: a real game
  // must be left later than that too.
  RgbImage playAgainScreen(const std::string& edition, const std::string& script);

  // Waits for the game to show `expected` (see `differences`) and fails the test with the
  // differences and both pictures kept for inspection if it never does.
  void expectShows(RunningGame& game, const RgbImage& expected, std::span<const Area> shimmering,
                   const std::string& what);

 private:
  std::optional<XServer> x_;
  std::optional<VgaFont> font_;
  std::optional<ScratchDirectory> scratch_;
};

}  // namespace e2e
