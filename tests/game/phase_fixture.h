// A game state on an open headless screen, for calling single phases directly.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game/game_context.h"
#include "game/phases.h"
#include "game_harness.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal::testing {

class PhaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetRandom();
    openScreen();
    setPages(1, 0);
    for (int i = 1; i <= 20; ++i) s.flameTable[i] = nint(std::abs(5 * std::cos(i)));
    s.hudOffset = 45;
    s.laserTimer = -1;
  }

  // A level in play with one mine far away at rest.
  void startLevel(int levelIndex = 0) {
    s.levelIndex = levelIndex;
    s.shieldEnergy = 100;
    levelStart(g);
  }

  int countSounds(SoundCall::Kind kind, SoundSlot slot) const {
    int n = 0;
    for (const SoundCall& c : sound.calls) n += (c.kind == kind && c.slot == slot);
    return n;
  }

  std::unique_ptr<GameState> owned = std::make_unique<GameState>();
  GameState& s = *owned;
  std::uint64_t retrace = 0;
  RecordingSound sound{&retrace};
  GameContext g{s, SOUND_EDITION, sound};
};

}  // namespace kestal::testing
