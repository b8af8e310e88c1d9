// The game's own work per frame, on the headless screen (whose retrace returns at once).
// One refresh at 60 Hz is 16.7 ms.
#include <benchmark/benchmark.h>

#include "bench/game_fixture.h"

namespace kestal {
namespace {

using Bench = GameFixture;

// Level 11: 35 live mines, shield at 204 (the most sparks), the laser on.
void BM_FrameOfPlayLevel11(benchmark::State& state) {
  Bench b;
  b.startLevel11();
  for (auto _ : state) b.frameOfLevel11();
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
