// Every kind of retrace, timed one sample per iteration: the median (the usual time) and
// the worst sample ("worst_ms", and the "max" aggregate over repetitions), each against one
// refresh (16.7 ms at 60 Hz, 8.3 ms at 120 Hz).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/retrace_kinds.h"

namespace kestal {
namespace {

void BM_Retrace(benchmark::State& state, RetraceKind kind) {
  RetraceSampler sampler(kind);
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

[[maybe_unused]] const bool registered = [] {
  for (const RetraceKindName& info : RETRACE_KINDS) {
    auto* registration =
        benchmark::RegisterBenchmark((std::string("BM_Retrace/") + info.name).c_str(), BM_Retrace,
                                     info.kind)
            ->UseManualTime()
            ->ComputeStatistics("max", largest)
            ->Unit(benchmark::kMillisecond);
    // A sequence's sample (its heaviest retrace) costs a whole run: so many runs, rather than
    // runs until the samples add up to a time.
    if (isSequence(info.kind)) registration->Iterations(15);
  }
  return true;
}();

}  // namespace
}  // namespace kestal
