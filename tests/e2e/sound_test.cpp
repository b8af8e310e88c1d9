// The sound edition heard through OpenAL Soft writing its mix to a file: the warp greets the
// start-up screen, and the laser sounds for as long as fire is held down.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/game_colours.h"
#include "tests/e2e/wav_file.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::size_t SEGMENT = 1024;   // samples compared at a time, some 46 ms
constexpr double RECOGNISED = 0.9;      // likeness of an effect playing on its own
constexpr double SEGMENT_SLACK = 0.05;  // a sound's start or end lies within a segment

class Recording {
 public:
  Recording(const Sound& mix, Clock::time_point start) : mix_(mix), start_(start) {}

  // The mix's clock starts when the program sets up its sound, a moment after it was
  // launched; the comparisons below leave room for that.
  double secondsAt(Clock::time_point when) const {
    return std::chrono::duration<double>(when - start_).count();
  }

  // Seconds of the mix before its first sample that is not silence.
  double firstSoundAt() const {
    const auto sound = std::find_if(mix_.samples.begin(), mix_.samples.end(),
                                    [](std::int16_t s) { return s != 0; });
    return static_cast<double>(sound - mix_.samples.begin()) / mix_.rate;
  }

  // Likeness to `effect` of each whole segment between the two times (seconds of the mix).
  std::vector<double> likenesses(const Sound& effect, bool looping, double from, double to) const {
    std::vector<double> result;
    const auto first = static_cast<std::size_t>(std::max(0.0, from) * mix_.rate);
    const auto last = static_cast<std::size_t>(std::max(0.0, to) * mix_.rate);
    for (std::size_t at = first; at + SEGMENT <= std::min(last, mix_.samples.size());
         at += SEGMENT) {
      const std::span<const std::int16_t> segment(mix_.samples.data() + at, SEGMENT);
      result.push_back(likeness(segment, effect.samples, looping));
    }
    return result;
  }

 private:
  const Sound& mix_;
  Clock::time_point start_;
};

std::string listed(const std::vector<double>& values) {
  std::string text;
  for (double v : values) {
    char number[16];
    std::snprintf(number, sizeof number, " %.2f", v);
    text += number;
  }
  return text;
}

int countAtLeast(const std::vector<double>& values, double threshold) {
  int count = 0;
  for (double v : values) count += v >= threshold ? 1 : 0;
  return count;
}

TEST_F(EndToEndTest, WarpSoundsAtStartUpAndTheLaserWhileFireIsHeld) {
  if (!soundEditionBuilt()) GTEST_SKIP() << "the sound edition is not built";
  const std::optional<Sound> warp = readWav(buildDirectory() / "sound/Warp.wav");
  const std::optional<Sound> laser = readWav(buildDirectory() / "sound/Laser.wav");
  ASSERT_TRUE(warp && laser) << "the generated effects are missing from the build directory";
  // Held fire repeats every 40 ms, quicker than the 3 frames a shot lasts, so the beam and
  // its looping sound never pause.
  ASSERT_TRUE(x().setKeyRepeat(150ms, 40ms));

  const std::filesystem::path mixFile = scratch() / "mix.wav";
  const Clock::time_point launched = Clock::now();
  RunningGame game = start(soundEdition(), recordingAudioConfig(mixFile));
  ASSERT_TRUE(game.started()) << game.errors();
  const Clock::time_point windowShown = Clock::now();
  expectShows(game, startUpScreen("sound"), DELAY_PROMPT_WAVE, "sound-prompt");
  std::this_thread::sleep_until(launched + 2s);  // the warp lasts a second

  // Fire at once: the level's mine is still far above the beam, which later it crosses.
  game.press({"Return"});
  ASSERT_TRUE(game.waitForPicture([](const RgbImage& picture) {
                    return picture.at(300, 24) == gamePaletteColour(38);
                  })
                  .found);
  const Clock::time_point fireDown = Clock::now();
  game.hold("space", 650ms);
  const Clock::time_point fireUp = Clock::now();
  std::this_thread::sleep_for(700ms);
  const Clock::time_point quitting = Clock::now();

  game.press({"Escape"});
  expectShows(game, playAgainScreen("sound", "1 Enter\n"), PLAY_AGAIN_WAVE, "sound-play-again");
  game.press({"n"});
  ASSERT_EQ(game.waitForExit(), 0) << game.errors();

  const std::optional<Sound> mix = readWav(mixFile);
  ASSERT_TRUE(mix) << "no mix was written to " << mixFile;
  ASSERT_EQ(mix->rate, 22050);
  const Recording recording(*mix, launched);

  // The warp greets the start-up screen a moment after the mix begins (longer on a loaded
  // machine), and from then on every stretch of its first 0.8 seconds is heard.
  const double warpStarts = recording.firstSoundAt();
  EXPECT_LT(warpStarts, 0.5) << "the warp is late";
  const std::vector<double> atStart =
      recording.likenesses(*warp, false, warpStarts, warpStarts + 0.8);
  EXPECT_EQ(countAtLeast(atStart, RECOGNISED), static_cast<int>(atStart.size()))
      << "warp at start-up:" << listed(atStart);

  // Where the laser sounds, from the end of the warp until the game is left.
  const double warpEnd = warpStarts + 1.1;
  const std::vector<double> laserLike =
      recording.likenesses(*laser, true, warpEnd, recording.secondsAt(quitting));
  const auto first =
      std::find_if(laserLike.begin(), laserLike.end(), [](double v) { return v >= RECOGNISED; });
  ASSERT_NE(first, laserLike.end()) << "no laser at all:" << listed(laserLike);
  const auto last =
      std::find_if(laserLike.rbegin(), laserLike.rend(), [](double v) { return v >= RECOGNISED; });
  const double segmentSeconds = static_cast<double>(SEGMENT) / mix->rate;
  const double begins = warpEnd + (first - laserLike.begin()) * segmentSeconds;
  const double ends = warpEnd + (laserLike.rend() - last) * segmentSeconds;
  const double down = recording.secondsAt(fireDown);
  const double up = recording.secondsAt(fireUp);

  // The mix starts when the program sets up its sound, before it opens its window: it runs
  // behind the test's clock by a lag between 0 and `soundSetUp`. The laser begins when fire
  // goes down, not before; it stops once the last shot has run out, a few frames after fire
  // goes up; and it sounds all the while between (its first shot alone, then the key's
  // repeats once they start).
  const double soundSetUp = recording.secondsAt(windowShown);
  EXPECT_GT(begins, down - soundSetUp - SEGMENT_SLACK) << "laser before fire:" << listed(laserLike);
  // A loaded machine (a CI run builds beside it) delays key, frame and mixer alike: a
  // second still tells a laser that answers the key from one that never would.
  EXPECT_LT(begins, down + 1.0) << "laser late:" << listed(laserLike);
  EXPECT_GT(ends, up - soundSetUp - 0.1 - SEGMENT_SLACK) << "laser cut short:" << listed(laserLike);
  EXPECT_LT(ends, up + 0.35 + SEGMENT_SLACK) << "laser after fire:" << listed(laserLike);
  EXPECT_GT(recording.secondsAt(quitting) - ends, 0.3) << "the laser sounds until the end";
  const std::vector<double> held(first + static_cast<int>(0.25 / segmentSeconds), last.base());
  EXPECT_GE(countAtLeast(held, RECOGNISED), static_cast<int>(0.8 * held.size()))
      << "laser while fire is held:" << listed(held);
}

}  // namespace
}  // namespace e2e
