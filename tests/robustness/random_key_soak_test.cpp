// Random-key soak under the sanitizers: a seeded player drives the game in process and
// writes down every key; kestal-replay (built with the sanitizers) then plays that script
// on its own, and its state and display traces must show a whole game of warps, lost
// ships, pauses and prompts that ends by itself exactly where the player's run ended.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "game/game_sound.h"
#include "tests/robustness/child_program.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/replay_record.h"
#include "tests/robustness/soak_driver.h"

namespace kestal::robustness {
namespace {

constexpr std::uint64_t RETRACES_PER_SEED = 30000;
constexpr int SEEDS = 8;
static_assert(SEEDS * RETRACES_PER_SEED >= 200000, "the soak covers 200 000 frames at least");

struct SoakCase {
  std::uint32_t seed;
  const char* delayText;
  bool silent;
  double delayInPlay;  // the typed number made non-negative; 0 becomes the edition's default
};

// Every way of answering the Delay prompt: plain, empty, zero, negative, a lone minus and
// leading zeros, in both editions.
constexpr SoakCase CASES[SEEDS] = {
    {1, "1", false, 1},  {2, "", true, 5000}, {3, "-3", false, 3},    {4, "0", false, 1},
    {5, "12", true, 12}, {6, "-", false, 1},  {7, "00002", false, 2}, {8, "7", true, 7},
};

void PrintTo(const SoakCase& c, std::ostream* os) {
  *os << "seed " << c.seed << ", delay '" << c.delayText << "'" << (c.silent ? ", silent" : "");
}

class RandomKeySoak : public ::testing::TestWithParam<SoakCase> {};

TEST_P(RandomKeySoak, ReplaysAWholeRunUnderTheSanitizersAndEndsByItself) {
  const SoakCase& c = GetParam();
  const Edition& edition = c.silent ? SILENT_EDITION : SOUND_EDITION;

  SoakDriver driver({c.seed, RETRACES_PER_SEED, c.delayText});
  RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t r, GameState& s) { return driver.onRetrace(r, s); };
  hooks.onStall = [&](std::uint64_t r, GameState& s) { return driver.onStall(r, s); };
  auto state = std::make_unique<GameState>();
  NoSound sound;
  const RunOutcome played = runHeadless(*state, edition, sound, hooks, RETRACES_PER_SEED + 40000);
  ASSERT_TRUE(played.endedByGame) << "the player's own run did not reach its end";

  ScratchDirectory dir;
  Dice spelling(c.seed * 7919u);
  writeWholeFile(dir / "keys.txt", writeKeyScript(driver.events(), spelling));
  ProgramCall call;
  call.arguments = {KESTAL_REPLAY_BINARY,
                    "--keys",
                    (dir / "keys.txt").string(),
                    "--frames",
                    std::to_string(played.retraces + 10000),
                    "--state",
                    (dir / "state.jsonl").string(),
                    "--trace",
                    (dir / "trace.txt").string()};
  if (c.silent) call.arguments.insert(call.arguments.end(), {"--edition", "silent"});
  call.timeout = std::chrono::seconds(1200);
  const ProgramResult replay = runProgram(call);
  ASSERT_TRUE(replay.exited) << "killed or timed out: " << replay.err;
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.err, "");

  const ReplayRecord record = readReplayRecord(dir / "state.jsonl", dir / "trace.txt");
  EXPECT_EQ(record.firstProblem, "");
  // It ended by itself (well before --frames), at the retrace the player's run ended.
  EXPECT_EQ(record.stateLines, played.retraces);
  EXPECT_EQ(record.traceLines, played.retraces);
  EXPECT_GE(record.lastRetrace, RETRACES_PER_SEED);

  const SoakTally& seen = driver.tally();
  EXPECT_GE(record.highestLevelIndex, 1) << "no warp";
  EXPECT_EQ(record.levelRises, seen.warps);
  EXPECT_GE(record.losses, 1) << "no game over";
  EXPECT_EQ(record.losses, seen.gameOvers);
  EXPECT_GE(record.newGames, 1) << "the prompt was never answered yes";
  EXPECT_GE(seen.prompts, record.newGames + 1) << "the last prompt is answered no";
  // A pause dims the palette over 63 retraces and brings it back over another 63.
  EXPECT_GE(record.paletteChanges, 126u) << "no pause";
  EXPECT_GE(seen.pausesAsked, 1);
  EXPECT_EQ(record.delayCounts, (std::set<double>{0, c.delayInPlay}));
  EXPECT_EQ(record.shipOutsideWalls, 0u);
  EXPECT_EQ(record.laserTimerOutOfRange, 0u);
  RecordProperty("frames", std::to_string(record.lastRetrace));
  std::printf("seed %u: %llu frames, %llu of play, %d warps, %d game overs, %d prompts\n", c.seed,
              static_cast<unsigned long long>(record.lastRetrace),
              static_cast<unsigned long long>(seen.playFrames), seen.warps, seen.gameOvers,
              seen.prompts);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomKeySoak, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<SoakCase>& param) {
                           return "seed" + std::to_string(param.param.seed);
                         });

}  // namespace
}  // namespace kestal::robustness
