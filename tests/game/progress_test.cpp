// Winning levels: the victory message, the warp and the next level.
#include <gtest/gtest.h>

#include "bot.h"
#include "phase_fixture.h"
#include "game_harness.h"
#include "screen/random.h"

namespace kestal::testing {
namespace {

TEST(Progress, AWonLevelIsLeftThroughTheWarpIntoTheNextLevel) {
  GameRun run;
  answerDelay(run, "");
  std::uint64_t wonAt = 0, level2At = 0;
  std::uint64_t drawsAtWin = 0, drawsAtLevel2 = 0;
  Pilot pilot;
  run.onRetrace = [&](std::uint64_t retrace, const GameState& s) {
    if (wonAt == 0 && !s.messageText.empty()) {
      wonAt = retrace;
      drawsAtWin = randomDrawCount();
    }
    if (level2At == 0 && s.levelIndex == 1 && s.mineCount == 3) {
      level2At = retrace;
      drawsAtLevel2 = randomDrawCount();
      return false;
    }
    if (auto key = pilot.key(s)) pushKey(*key);
    return true;
  };
  run.maxRetraces = 20000;
  run.run();
  ASSERT_NE(wonAt, 0u) << "the pilot never destroyed the first mine";
  ASSERT_NE(level2At, 0u);
  const GameState& s = *run.state;
  EXPECT_EQ(s.score, 3);
  EXPECT_EQ(s.minesKilled, 0);
  EXPECT_EQ(s.messageText, "");
  EXPECT_EQ(s.shipX, 200);
  // The warp shows 100 starburst steps and 3 x 80 wipe steps and one more retrace.
  EXPECT_GE(level2At - wonAt, 341u);
  // One draw per busy-wait iteration in each of its 200 + 3 x 640 steps, then 8000 stars
  // and 3 mines; the first level's frames draw only for laser fans and burst colours.
  EXPECT_GE(drawsAtLevel2 - drawsAtWin, 2120u + 3 * STAR_COUNT + 12);
  // The warp loops while it runs and stops before the next level's first frame.
  std::uint64_t loopedAt = 0, stoppedAt = 0;
  for (const SoundCall& c : run.sounds) {
    if (c.slot != SoundSlot::Warp) continue;
    if (c.kind == SoundCall::Play && c.looping) loopedAt = c.retrace;
    if (c.kind == SoundCall::Stop && loopedAt != 0) stoppedAt = c.retrace;
  }
  EXPECT_GE(loopedAt, wonAt);
  EXPECT_GE(stoppedAt, loopedAt + 341);
  EXPECT_LE(stoppedAt, level2At);
}

TEST(Progress, NextLevelKeyIsRefusedBeforeTheWin) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  run.press(enter + 3, '\b');
  run.type(enter + 4, "l");
  run.onRetrace = [&](std::uint64_t retrace, const GameState&) { return retrace < enter + 8; };
  run.run();
  EXPECT_EQ(run.state->levelIndex, 0);
  EXPECT_EQ(run.state->levelComplete, 0);
}

}  // namespace
}  // namespace kestal::testing

namespace kestal::testing {
namespace {

using FinalVictory = PhaseTest;

TEST_F(FinalVictory, LeavingTheEleventhLevelWarpsThenCheersUntilSmallQ) {
  startLevel(10);
  s.delayCount = 1;
  s.messageText = "-!VICTORY!-";
  s.keyText = "";
  nextLevelCommand(s);
  ASSERT_EQ(s.finalVictory, 1);
  s.keyText = "";
  for (int key : {int{'Q'}, 27, int{'x'}, int{'q'}}) pushKey(key);
  const auto drawsBefore = randomDrawCount();
  endOfLevel(g);
  EXPECT_EQ(s.levelComplete, 0);
  EXPECT_EQ(s.keyText, "");  // the victory keys are not kept
  // The warp's 2120 busy-wait draws, then four passes of four draws each.
  EXPECT_EQ(randomDrawCount() - drawsBefore, 2120u + 4 * 4);
  ASSERT_GE(sound.calls.size(), 2u);
  EXPECT_EQ(sound.calls.back(), (SoundCall{SoundCall::Stop, SoundSlot::Warp, false, 0}));
}

}  // namespace
}  // namespace kestal::testing
