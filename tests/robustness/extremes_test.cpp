// Values far beyond what a game normally reaches: a ship at thousands of pixels per frame,
// mines at astronomic speeds, particles millions of pixels (or infinitely) away, and a
// typed delay of 99999999. Under the sanitizer build any undefined behaviour fails the
// run; here nothing may be drawn outside the play field, and the game must still answer
// its keys.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "game/game_sound.h"
#include "screen/keyboard.h"
#include "screen/screen.h"
#include "screen/screen_access.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/key_sets.h"

namespace kestal::robustness {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// The band between the play field (x 60..578, y 25..373) and the two gauge margins
// (x 0..34 and 605..639): the border, column 604 and the bottom row. Play draws nothing
// there but the border, which it redraws with the same colours.
bool outsideTheField(int x, int y) {
  if (x < 35 || x > 604) return false;
  return x < 60 || x > 578 || y < 25 || y > 373;
}

std::vector<std::uint8_t> outsidePixels() {
  const auto page = visiblePagePixels();
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      if (outsideTheField(x, y))
        pixels.push_back(page[static_cast<std::size_t>(y * SCREEN_WIDTH + x)]);
    }
  }
  return pixels;
}

bool shipWithinWalls(const GameState& s) {
  return s.shipX >= 73 && s.shipX <= 568 && s.shipY >= 35 && s.shipY <= 363;
}

// Where a burst may be after a very long level, and where none could ever be.
constexpr std::array FAR_POSITIONS{1e7, -1e7, 3e9, 1e300, -1e300, INF, -INF, NOT_A_NUMBER};
constexpr std::array WILD_SPEEDS{5e4, -7e5, 1e6, -1e9, 1e300, -1e300, INF, -INF};
constexpr std::array PARTICLE_SPEEDS{4.0, -3.5, 1e6, -1e9, 1e300, -1e300, INF, -INF};

struct Stages {
  std::uint64_t firstPlay = 0;  // retrace of the first frame of play
  std::uint64_t pausedFrom = 0, pausedUntil = 0;
  std::uint64_t prompt = 0;
  bool paletteDimmed = false;
  int framesCompared = 0;
  int outsideChanged = 0;
  int shipOutside = 0;
};

TEST(Extremes, WildSpeedsAndFarParticlesDrawOnlyInTheFieldAndKeysStillWork) {
  constexpr std::uint64_t SPEEDING = 400;   // frames of a ship and a mine at wild speeds
  constexpr std::uint64_t SCATTERED = 400;  // then frames of a burst flung far away
  auto state = std::make_unique<GameState>();
  NoSound sound;
  Stages at;
  std::vector<std::uint8_t> reference;
  double lastPulse = 0, lastWavePhase = 0;
  Palette playPalette{};

  RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
    if (retrace == 1) pushKey('1');
    if (retrace == 2) pushKey(KEY_ENTER_ENTRY);
    const bool moving = s.pulse != lastPulse;
    lastPulse = s.pulse;
    if (at.firstPlay == 0 && moving) at.firstPlay = retrace;
    if (at.firstPlay == 0) return true;
    const std::uint64_t frame = retrace - at.firstPlay;

    if (frame <= SPEEDING + SCATTERED) {
      if (!shipWithinWalls(s)) ++at.shipOutside;
      const double sign = frame % 2 == 0 ? 1 : -1;
      s.shipVx = sign * 3000;
      s.shipVy = -sign * 2500;
      pushKey('g');  // and the thruster held on top
    }
    if (frame < SPEEDING) {
      // The mine races along x only: its height stays mid-field while the ship sits in
      // the top and bottom corners, so it never drains the shield.
      s.mineVx[1] = WILD_SPEEDS[frame % WILD_SPEEDS.size()];
      s.mineVy[1] = 0;
    } else if (frame == SPEEDING) {
      // The mine bursts far away, its particles flung to the ends of the number line.
      s.mineHealth[1] = 0;
      s.burstCount[1] = BURST_PARTICLES;
      for (int p = 1; p <= BURST_PARTICLES; ++p) {
        s.burstX[1][p] = FAR_POSITIONS[static_cast<std::size_t>(p) % FAR_POSITIONS.size()];
        s.burstY[1][p] = FAR_POSITIONS[static_cast<std::size_t>(p / 8) % FAR_POSITIONS.size()];
        s.burstVx[1][p] = PARTICLE_SPEEDS[static_cast<std::size_t>(p / 3) % PARTICLE_SPEEDS.size()];
        s.burstVy[1][p] = PARTICLE_SPEEDS[static_cast<std::size_t>(p / 5) % PARTICLE_SPEEDS.size()];
      }
    }
    // The border settles within the first frames (the mine's first bounce redraws it).
    if (frame == 3) reference = outsidePixels();
    if (frame > 3 && frame <= SPEEDING + SCATTERED) {
      ++at.framesCompared;
      if (outsidePixels() != reference) ++at.outsideChanged;
    }

    // Then the keys: a pause, resumed by Escape (which only resumes), then Escape to the
    // prompt and "n".
    if (frame == SPEEDING + SCATTERED) {
      playPalette = displayPalette();
      pushKey('p');
    }
    if (at.pausedFrom == 0 && frame > SPEEDING + SCATTERED && !moving) at.pausedFrom = retrace;
    if (at.pausedFrom != 0 && displayPalette() != playPalette) at.paletteDimmed = true;
    if (at.pausedFrom != 0 && at.pausedUntil == 0 && moving) {
      at.pausedUntil = retrace;
      pushKey(KEY_ESCAPE_ENTRY);
    }
    if (at.pausedUntil != 0 && at.prompt == 0 && s.wavePhase != lastWavePhase) {
      at.prompt = retrace;
      pushKey('n');
    }
    lastWavePhase = s.wavePhase;
    return true;
  };
  hooks.onStall = [&](std::uint64_t, GameState&) {
    pushKey(KEY_ESCAPE_ENTRY);
    return true;
  };
  const RunOutcome run = runHeadless(*state, SOUND_EDITION, sound, hooks, 5000);

  EXPECT_EQ(at.shipOutside, 0);
  EXPECT_EQ(at.framesCompared, static_cast<int>(SPEEDING + SCATTERED - 3));
  EXPECT_EQ(at.outsideChanged, 0) << "pixels changed outside the play field";
  // The pause: frozen for the 64 dimming retraces at least, with the pause palette.
  ASSERT_NE(at.pausedFrom, 0u);
  EXPECT_GE(at.pausedUntil - at.pausedFrom, 64u);
  EXPECT_TRUE(at.paletteDimmed);
  EXPECT_EQ(state->levelIndex, 0);
  EXPECT_NE(at.prompt, 0u) << "Escape after the pause did not reach the prompt";
  EXPECT_TRUE(run.endedByGame) << "\"n\" at the prompt did not end the program";
  EXPECT_EQ(run.exitCode, 0);
}

// Each frame then runs a busy wait of a hundred million iterations; the keys typed with
// the delay still end the level and the program.
TEST(Extremes, TheLongestDelayStillAnswersTheKeys) {
  auto state = std::make_unique<GameState>();
  NoSound sound;
  RunHooks hooks;
  hooks.onRetrace = [](std::uint64_t retrace, GameState&) {
    if (retrace == 1) {
      for (char c : std::string("99999999")) pushKey(c);
      pushKey(KEY_ENTER_ENTRY);
      pushKey(KEY_ESCAPE_ENTRY);  // read by the first frame of play
      pushKey('n');               // read by the prompt
    }
    return true;
  };
  const RunOutcome run = runHeadless(*state, SOUND_EDITION, sound, hooks, 100);
  EXPECT_TRUE(run.endedByGame);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(state->delayCount, 99999999);
  // Ten prompt passes (one before the keys, eight digits, Enter), the one frame of play,
  // and the play-again prompt's first pass.
  EXPECT_EQ(run.retraces, 12u);
}

}  // namespace
}  // namespace kestal::robustness
