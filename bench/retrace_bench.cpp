// Every kind of retrace, timed one sample per iteration: the median (the usual time) and
// the worst sample ("worst_ms", and the "max" aggregate over repetitions), each against one
// refresh (16.7 ms at 60 Hz, 8.3 ms at 120 Hz); with pictures and without them (names ending
// in "_no_pictures"). And whole games: the whole-game recording, retraces a second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/retrace_kinds.h"
#include "bench/whole_game.h"

namespace kestal {
namespace {

void BM_Retrace(benchmark::State& state, RetraceKind kind, Pictures pictures) {
  RetraceSampler sampler(kind, {}, pictures);
  sampler.sampleMs();  // untimed: the game never meets memory and caches this cold
  double worst = 0;
  for (auto _ : state) {
    const double ms = sampler.sampleMs();
    worst = std::max(worst, ms);
    state.SetIterationTime(ms / 1000);
  }
  state.counters["worst_ms"] = worst;
}

double largest(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

// One whole game an iteration.
void BM_WholeGame(benchmark::State& state, Pictures pictures) {
  WholeGameFigures last;
  for (auto _ : state) {
    last = playWholeGame(pictures);
    state.SetIterationTime(last.ms / 1000);
  }
  state.counters["retraces"] = static_cast<double>(last.retraces);
  state.counters["retraces_per_s"] = last.retracesPerSecond();
}

[[maybe_unused]] const bool registered = [] {
  for (const Pictures pictures : {Pictures::Kept, Pictures::Skipped}) {
    const std::string suffix = pictures == Pictures::Kept ? "" : NO_PICTURES_SUFFIX;
    for (const RetraceKindName& info : RETRACE_KINDS) {
      auto* registration =
          benchmark::RegisterBenchmark((std::string("BM_Retrace/") + info.name + suffix).c_str(),
                                       BM_Retrace, info.kind, pictures)
              ->UseManualTime()
              ->ComputeStatistics("max", largest)
              ->Unit(benchmark::kMillisecond);
      // A sequence's sample (its heaviest retrace) costs a whole run: so many runs, rather
      // than runs until the samples add up to a time.
      if (isSequence(info.kind)) registration->Iterations(15);
    }
    benchmark::RegisterBenchmark((std::string("BM_WholeGame/whole_game") + suffix).c_str(),
                                 BM_WholeGame, pictures)
        ->UseManualTime()
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace kestal
