// A game ready for timing on whatever screen back end is installed (the headless one, whose
// retrace returns at once, unless a program chose another): shared by the native and the
// browser benchmarks so that both time the same work.
#pragma once

#include <cmath>
#include <memory>

#include "game/game_context.h"
#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

struct GameFixture {
  GameFixture() {
    resetRandom();
    openScreen();
    setPages(1, 0);
    s.hudOffset = 45;
    for (int i = 1; i <= 20; ++i) s.flameTable[i] = nint(std::abs(5 * std::cos(i)));
  }
  std::unique_ptr<GameState> owned = std::make_unique<GameState>();
  GameState& s = *owned;
  NoSound sound;
  GameContext g{s, SOUND_EDITION, sound};

  // Level 11: 35 live mines, shield at 204 (the most sparks), the laser on.
  void startLevel11() {
    s.levelIndex = 10;
    s.delayCount = 1;
    s.shieldEnergy = 204;
    levelStart(g);
  }
  // One frame of that level, kept as it is: no mine dies, nothing overheats.
  void frameOfLevel11() {
    s.shieldEnergy = 204;
    s.engineHeat = 20;
    s.laserTimer = 5;
    for (int m = 1; m <= MAX_MINES; ++m) s.mineHealth[m] = 1000;
    runFrame(g);
  }
};

}  // namespace kestal
