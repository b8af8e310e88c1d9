// Whole runs of the game, typed through the key queue as a player would.
#include <gtest/gtest.h>

#include "game_harness.h"
#include "screen/keyboard.h"
#include "screen/screen_access.h"

namespace kestal::testing {
namespace {

bool played(const std::vector<SoundCall>& calls, SoundSlot slot, bool looping) {
  for (const SoundCall& c : calls) {
    if (c.kind == SoundCall::Play && c.slot == slot && c.looping == looping) return true;
  }
  return false;
}

TEST(DelayPrompt, EditsTheTypedNumberAndRestoresTheDefaultPaletteWhenNegative) {
  GameRun run;
  run.type(1, "-");
  run.type(2, "7");
  run.press(3, '\b');
  run.type(4, "-");  // a minus after the first character is ignored
  run.type(5, "5");
  run.press(6, '\r');
  Rgb entry5{};
  run.onRetrace = [&](std::uint64_t retrace, const GameState&) {
    entry5 = displayPalette()[5];
    return retrace < 9;
  };
  run.run();
  EXPECT_EQ(run.state->delayText, "-5");
  EXPECT_EQ(run.state->delayCount, 5);
  EXPECT_EQ(entry5, (Rgb{170, 0, 170}));  // the screen's own default entry
}

TEST(DelayPrompt, AcceptsAtMostEightCharactersAndIgnoresOtherKeys) {
  GameRun run;
  for (int i = 0; i < 9; ++i) run.type(1 + i, std::string(1, static_cast<char>('1' + i)));
  run.press(10, KEY_UP[1] * 256 + 255);
  run.type(11, "x");
  run.press(12, '\b');
  run.press(13, '\r');
  run.onRetrace = [](std::uint64_t retrace, const GameState&) { return retrace < 16; };
  run.run();
  EXPECT_EQ(run.state->delayText, "1234567");
  EXPECT_EQ(run.state->delayCount, 1234567);
}

TEST(DelayPrompt, ZeroDelayDependsOnTheEdition) {
  for (const Edition* edition : {&SOUND_EDITION, &SILENT_EDITION}) {
    GameRun run;
    run.edition = edition;
    run.press(1, '\r');
    run.onRetrace = [](std::uint64_t retrace, const GameState&) { return retrace < 3; };
    run.run();
    EXPECT_EQ(run.state->delayCount, edition->zeroDelay);
    EXPECT_EQ(run.state->flameTable[1], 3);
    EXPECT_EQ(run.state->flameTable[11], 0);
    EXPECT_EQ(run.state->flameTable[20], 2);
  }
}

TEST(DelayPrompt, EscapeQAndCloseEndTheProgramAfterReleasingSound) {
  for (int key : {27, int{'q'}, CLOSE_KEY}) {
    GameRun run;
    run.type(1, "1");
    run.press(2, key);
    run.run();
    EXPECT_TRUE(run.endedByGame);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_FALSE(run.sounds.empty());
    EXPECT_EQ(run.sounds.front(), (SoundCall{SoundCall::Play, SoundSlot::Warp, false, 0}));
    EXPECT_EQ(run.sounds.back().kind, SoundCall::Release);
    EXPECT_EQ(run.retraces, 2u);
  }
}

TEST(Play, EscapeLeadsToThePromptAndNoEndsTheProgram) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  run.press(enter + 5, 27);
  run.type(enter + 8, "x");  // ignored by the prompt
  run.type(enter + 10, "n");
  run.run();
  EXPECT_TRUE(run.endedByGame);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.state->shipLost, 0);
  const std::vector<SoundCall> expected = {
      {SoundCall::Play, SoundSlot::Warp, false, 0},           // start-up screen
      {SoundCall::Stop, SoundSlot::Warp, false, enter + 1},   // a new game
      {SoundCall::Stop, SoundSlot::Laser, false, enter + 2},  // the timer's 0 turns idle
      {SoundCall::Stop, SoundSlot::Laser, false, enter + 6},  // every end of a level
      {SoundCall::Play, SoundSlot::Warp, false, enter + 6},   // the prompt
      {SoundCall::Release, SoundSlot::Warp, false, enter + 10},
  };
  EXPECT_EQ(run.sounds, expected);
}

TEST(Play, CloseButtonDoesNothingDuringPlayAndCapsLockLettersAreUnbound) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  run.press(enter + 2, CLOSE_KEY);
  run.type(enter + 3, "D");
  double vx = 99;
  run.onRetrace = [&](std::uint64_t retrace, const GameState& s) {
    if (retrace == enter + 6) {
      vx = s.shipVx;
      return false;
    }
    return true;
  };
  run.run();
  EXPECT_FALSE(run.endedByGame);
  EXPECT_EQ(vx, 0);
}

TEST(Play, LaserSoundStartsFromIdleOnlyAndStopsWhenSpent) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  const auto first = enter + 1;  // first frame of the level: timer still 0
  run.type(first, " ");
  run.type(first + 5, " ");  // from idle: starts the loop
  run.type(first + 6, " ");  // refire while on: no restart
  run.press(first + 20, 27);
  run.type(first + 22, "n");
  run.run();
  int laserPlays = 0, laserStops = 0;
  for (const SoundCall& c : run.sounds) {
    if (c.slot != SoundSlot::Laser) continue;
    if (c.kind == SoundCall::Play) {
      ++laserPlays;
      EXPECT_TRUE(c.looping);
      EXPECT_EQ(c.retrace, first + 6);  // the key typed after retrace n is read in frame n+1
    }
    if (c.kind == SoundCall::Stop) ++laserStops;
  }
  EXPECT_EQ(laserPlays, 1);
  EXPECT_EQ(laserStops, 3);  // the first fan running out, the second, the end of the level
}

TEST(Play, PauseDimsThePaletteAndAnyKeyResumes) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  run.type(enter + 2, "p");
  run.press(enter + 2, 27);  // waits in the queue: only resumes, does not quit
  Rgb dimmed{}, restored{};
  run.onRetrace = [&](std::uint64_t retrace, const GameState&) {
    if (retrace == enter + 3 + 64) dimmed = displayPalette()[63];
    if (retrace == enter + 3 + 130) {
      restored = displayPalette()[63];
      return false;
    }
    return true;
  };
  run.run();
  EXPECT_EQ(dimmed, (Rgb{121, 121, 121}));  // 30 of 63
  EXPECT_EQ(restored, (Rgb{255, 255, 255}));
  EXPECT_EQ(run.state->shipLost, 0);
}

TEST(Play, OverheatingLeadsThroughTheGameOverToThePrompt) {
  GameRun run;
  const auto enter = answerDelay(run, "");
  for (int i = 0; i < 9; ++i) run.press(enter + 2 + i, '\r');  // charge: +8 heat each
  std::uint64_t gameOverAt = 0;
  double heatAtLoss = 0;
  run.onRetrace = [&](std::uint64_t retrace, const GameState& s) {
    if (s.shipLost == 1 && gameOverAt == 0) {
      gameOverAt = retrace;
      heatAtLoss = s.engineHeat;
    }
    if (gameOverAt != 0 && retrace == gameOverAt + 20) pushKey('q');
    if (s.playAgainAnswer == 0 && s.wavePhase > 0.5) pushKey('n');
    return true;
  };
  run.run();
  ASSERT_NE(gameOverAt, 0u);
  EXPECT_TRUE(run.endedByGame);
  EXPECT_EQ(run.state->shipLost, 1);
  EXPECT_GT(heatAtLoss, 63);
  EXPECT_EQ(run.state->engineHeat, heatAtLoss - 0.5 * 22);  // 0.5 in each of 22 passes
  EXPECT_EQ(run.state->messageText, "* G A M E * O V E R *");
  EXPECT_TRUE(played(run.sounds, SoundSlot::Explosion, false));
}

}  // namespace
}  // namespace kestal::testing
