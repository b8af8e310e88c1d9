// The game's own work per frame, on the headless screen (whose retrace returns at once).
// One refresh at 60 Hz is 16.7 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "game/game_context.h"
#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {
namespace {

struct Bench {
  Bench() {
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
};

// Level 11: 35 live mines, shield at 204 (the most sparks), the laser on.
void BM_FrameOfPlayLevel11(benchmark::State& state) {
  Bench b;
  b.s.levelIndex = 10;
  b.s.delayCount = 1;
  b.s.shieldEnergy = 204;
  levelStart(b.g);
  for (auto _ : state) {
    b.s.shieldEnergy = 204;
    b.s.engineHeat = 20;
    b.s.laserTimer = 5;
    for (int m = 1; m <= MAX_MINES; ++m) b.s.mineHealth[m] = 1000;  // none dies
    runFrame(b.g);
  }
}
BENCHMARK(BM_FrameOfPlayLevel11)->Unit(benchmark::kMicrosecond);

void BM_FinalVictoryPass(benchmark::State& state) {
  Bench b;
  for (auto _ : state) finalVictoryPass(b.s);
}
BENCHMARK(BM_FinalVictoryPass)->Unit(benchmark::kMillisecond);

void BM_DelayPromptWave(benchmark::State& state) {
  Bench b;
  GameContext& g = b.g;
  startUp(g);
  for (auto _ : state) delayPromptWave(b.s);
}
BENCHMARK(BM_DelayPromptWave)->Unit(benchmark::kMicrosecond);

// The whole warp with a delay of 0: only its drawing (and the instant headless retraces).
void BM_WarpDrawing(benchmark::State& state) {
  Bench b;
  b.s.delayCount = 0;
  for (auto _ : state) warp(b.g);
}
BENCHMARK(BM_WarpDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestal
