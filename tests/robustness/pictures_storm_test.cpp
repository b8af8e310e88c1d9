// Random-key storms of 20 000 retraces in both editions, played by the soaks' random player
// on the game with its pictures, then replayed without them: the same state line at every
// retrace (the recordings and fuzz seeds: pictures_test.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "game/game_sound.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/soak_driver.h"
#include "tests/robustness/state_lines.h"

namespace kestal::robustness {
namespace {

constexpr std::uint64_t STORM_RETRACES = 20000;

TEST(PicturesOrNot, RandomKeyStormsKeepTheSameState) {
  for (const Edition* edition : {&SOUND_EDITION, &SILENT_EDITION}) {
    SCOPED_TRACE(edition == &SOUND_EDITION ? "sound" : "silent");
    SoakDriver driver(
        {.seed = edition == &SOUND_EDITION ? 27u : 28u, .retraceBudget = STORM_RETRACES});
    StateRecorder recorder;
    RunHooks hooks;
    hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
      recorder.record(retrace, s);
      return driver.onRetrace(retrace, s);
    };
    hooks.onStall = [&](std::uint64_t retrace, GameState& s) { return driver.onStall(retrace, s); };
    auto state = std::make_unique<GameState>();
    NoSound sound;
    runHeadless(*state, *edition, sound, hooks, 2 * STORM_RETRACES);
    ASSERT_GE(recorder.lines().size(), STORM_RETRACES);
    EXPECT_GE(driver.tally().warps, 1);
    EXPECT_GE(driver.tally().gameOvers, 1);
    EXPECT_EQ(firstDifference(recorder.lines(), playedStates(driver.events(), *edition,
                                                             HeadlessDisplay::Pictures::Skipped)),
              "");
  }
}

}  // namespace
}  // namespace kestal::robustness
