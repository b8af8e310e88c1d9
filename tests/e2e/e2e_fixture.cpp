#include "tests/e2e/e2e_fixture.h"

namespace e2e {

void EndToEndTest::SetUp() {
  if (!XServer::toolsInstalled()) GTEST_SKIP() << "Xvfb, openbox or xdotool is not installed";
  font_ = VgaFont::load(KESTAL_FONT_FILE);
  ASSERT_TRUE(font_) << "cannot read the console font " << KESTAL_FONT_FILE;
  scratch_.emplace("test");
  x_.emplace(SCREEN_WIDTH, SCREEN_HEIGHT);
  ASSERT_TRUE(x_->ready()) << "the private X server did not start";
}

Environment EndToEndTest::environmentFor(const Program& program, const std::string& audioConfig) {
  if (program.edition != "sound") return {};
  const std::filesystem::path config = scratch() / "alsoft.conf";
  writeFile(config, audioConfig.empty() ? silentAudioConfig() : audioConfig);
  return {{"ALSOFT_CONF", config.string()}, {"ALSOFT_DRIVERS", std::nullopt}};
}

RunningGame EndToEndTest::start(const Program& program, const std::string& audioConfig) {
  return RunningGame(x(), program, environmentFor(program, audioConfig), buildDirectory());
}

RgbImage EndToEndTest::startUpScreen(const std::string& edition) {
  return replayed(edition, "", 2);
}

RgbImage EndToEndTest::replayed(const std::string& edition, const std::string& script,
                                int retrace) {
  std::string failure;
  std::optional<RgbImage> picture = replayPicture(edition, script, retrace, failure);
  if (!picture) {
    ADD_FAILURE() << failure;
    return RgbImage(PICTURE_WIDTH, PICTURE_HEIGHT);
  }
  return *picture;
}

RgbImage EndToEndTest::playAgainScreen(const std::string& edition, const std::string& script) {
  RgbImage screen = replayed(edition, script + "40 Escape\n", 50);
  paintText(screen, font(), 1, 1, "Play again? (Y/N)", Rgb{255, 255, 255});
  return screen;
}

void EndToEndTest::expectShows(RunningGame& game, const RgbImage& expected,
                               std::span<const Area> shimmering, const std::string& what) {
  const RunningGame::Sighting seen = game.waitForPicture(
      [&](const RgbImage& shown) { return differences(shown, expected, shimmering).pixels == 0; });
  if (seen.found) return;
  if (!seen.last) {
    const std::optional<Rect> window = game.windowRect();
    ADD_FAILURE() << what << ": no picture found in the window ("
                  << (window ? describe(*window) : "gone") << ")";
    return;
  }
  const PictureDifference difference = differences(*seen.last, expected, shimmering);
  ADD_FAILURE() << what << ": " << difference.pixels << " pixels differ:" << difference.example
                << " shown: " << keepForInspection(what + "-shown", *seen.last)
                << ", expected: " << keepForInspection(what + "-expected", expected);
}

}  // namespace e2e
