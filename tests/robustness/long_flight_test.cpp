// A million frames in one level: the test pilot clears the first level and then flies on
// about the won level (as the game allows for ever), while the burst's last particles fly
// millions of pixels away. Memory must not creep: the peak of the last tenth of the run is
// no higher than the peak of the first tenth.
#include <gtest/gtest.h>

#include <memory>

#include "bot.h"
#include "game/game_sound.h"
#include "screen/keyboard.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/key_sets.h"
#include "tests/robustness/process_memory.h"

namespace kestal::robustness {
namespace {

constexpr std::uint64_t FRAMES = 1000000;
constexpr std::uint64_t SAMPLE_EVERY = 10000;

constexpr std::array CRUISE_KEYS{KEY_UP_ENTRY, KEY_DOWN_ENTRY, KEY_LEFT_ENTRY, KEY_RIGHT_ENTRY,
                                 int{'e'},     int{'t'},       int{'c'},       int{'b'},
                                 int{'f'},     int{'f'}};

TEST(LongFlight, AMillionFramesInAWonLevelKeepTheirPeakMemory) {
  auto state = std::make_unique<GameState>();
  NoSound sound;
  Dice dice(1000003);
  double lastPulse = 0;
  std::uint64_t playFrames = 0;
  std::uint64_t wonAt = 0;
  // Heap, stack and data, where an allocation or a leak would show. (The resident total
  // also counts the program's code, whose pages the kernel maps in as paths first run.)
  long firstTenthPeakKiB = 0, lastTenthPeakKiB = 0;
  MemoryUse atNineTenths, atEnd;

  RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
    if (retrace == 1) pushKey('1');
    if (retrace == 2) pushKey(KEY_ENTER_ENTRY);
    if (retrace % SAMPLE_EVERY == 0 && retrace <= FRAMES) {
      const long anonymous = currentMemoryUse().anonymousKiB;
      if (retrace <= FRAMES / 10) firstTenthPeakKiB = std::max(firstTenthPeakKiB, anonymous);
      if (retrace > FRAMES * 9 / 10) lastTenthPeakKiB = std::max(lastTenthPeakKiB, anonymous);
    }
    if (retrace == FRAMES * 9 / 10) atNineTenths = currentMemoryUse();
    if (retrace == FRAMES) {
      atEnd = currentMemoryUse();
      pushKey(KEY_ESCAPE_ENTRY);  // ends the level; "n" at the prompt ends the program
      pushKey('n');
    }
    const bool playing = s.pulse != lastPulse && s.shipLost == 0;
    lastPulse = s.pulse;
    if (!playing || retrace >= FRAMES) return true;
    ++playFrames;
    if (s.messageText.empty()) {
      if (const auto key = testing::pilotKey(s)) pushKey(*key);
      return true;
    }
    if (wonAt == 0) wonAt = retrace;
    // Cruise about without firing, so the engines stay cool; the walls slow the ship.
    if (dice.chance(0.05)) pushKey(dice.pick(CRUISE_KEYS));
    return true;
  };
  hooks.onStall = [](std::uint64_t, GameState&) { return false; };
  const RunOutcome run = runHeadless(*state, SOUND_EDITION, sound, hooks, FRAMES + 1000);

  ASSERT_TRUE(run.endedByGame) << "stopped after " << run.retraces << " retraces";
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_NE(wonAt, 0u) << "the pilot never cleared the first level";
  EXPECT_LT(wonAt, FRAMES / 10);
  EXPECT_EQ(state->levelIndex, 0);
  EXPECT_EQ(state->shipLost, 0);
  EXPECT_GE(playFrames, FRAMES - 100);
  // The burst's ten last particles are far outside the field by now.
  double farthest = 0;
  for (int p = 1; p <= 10; ++p) farthest = std::max(farthest, std::abs(state->burstX[1][p]));
  EXPECT_GT(farthest, 100000);

  ASSERT_GT(firstTenthPeakKiB, 0) << "no RssAnon in /proc/self/status";
  EXPECT_LE(lastTenthPeakKiB, firstTenthPeakKiB)
      << "anonymous memory peaked at " << firstTenthPeakKiB << " KiB in the first tenth and at "
      << lastTenthPeakKiB << " KiB in the last";
  // Nor does the process as a whole reach a new peak in the last tenth.
  EXPECT_EQ(atEnd.peakKiB, atNineTenths.peakKiB);
  RecordProperty("anonymousPeakKiB", std::to_string(lastTenthPeakKiB));
  std::printf("anonymous peak %ld KiB in the first tenth, %ld KiB in the last; VmHWM %ld KiB\n",
              firstTenthPeakKiB, lastTenthPeakKiB, atEnd.peakKiB);
}

}  // namespace
}  // namespace kestal::robustness
