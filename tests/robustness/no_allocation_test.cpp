// Nothing is allocated once play has begun: through levels, a warp, a pause, a lost ship
// and its game-over display, the play-again prompt and a second game, up to the end of
// the program. (Start-up, before the first frame of play, may allocate.)
#include <gtest/gtest.h>

#include <memory>

#include "bot.h"
#include "game/game_sound.h"
#include "screen/keyboard.h"
#include "tests/robustness/allocation_count.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/key_sets.h"

namespace kestal::robustness {
namespace {

// A sound that only counts what it is asked, so it allocates nothing either.
class CountingSound final : public GameSound {
 public:
  void play(SoundSlot, bool) override { ++plays; }
  void stop(SoundSlot) override { ++stops; }
  void release() override { ++releases; }
  int plays = 0, stops = 0, releases = 0;
};

// The stages of the run, in order; each waits for the game to have done the last.
enum class Stage { ClearLevels, Pause, Overheat, GameOver, Prompt, SecondGame, LastPrompt };

struct Seen {
  std::uint64_t firstPlay = 0;
  std::uint64_t playFrames = 0;
  double highestLevel = 0;
  int pauseStalls = 0;
  int gameOvers = 0;
  int prompts = 0;
};

TEST(NoAllocation, PlayPauseWarpGameOverAndPromptAllocateNothing) {
  auto state = std::make_unique<GameState>();
  CountingSound sound;
  Seen seen;
  Stage stage = Stage::ClearLevels;
  std::uint64_t stageFrames = 0;
  double lastPulse = 0, lastWavePhase = 0, lastShipLost = 0;

  RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
    tagAllocations(retrace);
    if (retrace == 1) pushKey('1');
    if (retrace == 2) pushKey(KEY_ENTER_ENTRY);
    const bool playing = s.pulse != lastPulse && s.shipLost == 0 && s.levelComplete == 0;
    const bool atPrompt = s.flameTable[1] != 0 && s.wavePhase != lastWavePhase;
    lastPulse = s.pulse;
    lastWavePhase = s.wavePhase;
    if (playing && seen.firstPlay == 0) {
      seen.firstPlay = retrace;
      startCountingAllocations();
    }
    if (s.shipLost == 1 && lastShipLost == 0) ++seen.gameOvers;
    lastShipLost = s.shipLost;
    seen.highestLevel = std::max(seen.highestLevel, s.levelIndex);
    seen.playFrames += playing;
    ++stageFrames;

    switch (stage) {
      case Stage::ClearLevels:  // the pilot clears the first level and warps on
        if (playing) {
          if (const auto key = testing::pilotKey(s)) pushKey(*key);
        }
        if (s.levelIndex >= 1 && playing) {
          stage = Stage::Pause;
          stageFrames = 0;
        }
        break;
      case Stage::Pause:  // the pilot plays on for a while (and may warp again)
        if (playing && stageFrames <= 3000) {
          if (const auto key = testing::pilotKey(s)) pushKey(*key);
        }
        if (playing && stageFrames > 3000) {
          pushKey('p');
          stage = Stage::Overheat;
          stageFrames = 0;
        }
        break;
      case Stage::Overheat:  // charging the shields overheats the engines
        if (playing && stageFrames > 50) pushKey(s.shieldEnergy < 200 ? 'k' : 'j');
        if (s.shipLost == 1) {
          stage = Stage::GameOver;
          stageFrames = 0;
        }
        break;
      case Stage::GameOver:
        if (stageFrames == 300) pushKey('q');
        if (atPrompt) {
          ++seen.prompts;
          stage = Stage::Prompt;
          stageFrames = 0;
        }
        break;
      case Stage::Prompt:
        if (stageFrames == 20) {
          pushKey('y');
          stage = Stage::SecondGame;
          stageFrames = 0;
        }
        break;
      case Stage::SecondGame:
        if (playing && stageFrames < 3000) {
          if (const auto key = testing::pilotKey(s)) pushKey(*key);
        }
        if (stageFrames == 3000) pushKey(KEY_ESCAPE_ENTRY);
        if (stageFrames > 3000 && atPrompt) {
          ++seen.prompts;
          pushKey('n');
          stage = Stage::LastPrompt;
        }
        break;
      case Stage::LastPrompt:
        break;
    }
    return true;
  };
  hooks.onStall = [&](std::uint64_t, GameState&) {
    ++seen.pauseStalls;
    pushKey('x');  // any key resumes
    return true;
  };
  const RunOutcome run = runHeadless(*state, SOUND_EDITION, sound, hooks, 60000);
  const AllocationCount allocations = stopCountingAllocations();

  // The run really went through everything it claims to cover.
  ASSERT_TRUE(run.endedByGame) << "stuck at stage " << static_cast<int>(stage) << " after "
                               << run.retraces << " retraces";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_GE(seen.highestLevel, 1);
  EXPECT_EQ(seen.pauseStalls, 1);
  EXPECT_GE(seen.gameOvers, 1);
  EXPECT_EQ(seen.prompts, 2);
  EXPECT_GT(seen.playFrames, 3000u);
  EXPECT_EQ(sound.releases, 1);

  EXPECT_EQ(allocations.count, 0u)
      << "first at retrace " << allocations.firstTag << " (" << allocations.firstSize
      << " bytes); play began at retrace " << seen.firstPlay;
}

}  // namespace
}  // namespace kestal::robustness
