// What recording a game costs the browser back end per retrace: a retrace counted with a key
// recorded (a busy player's frame), and, with ?trace, the trace line of what is shown.
//   BM_RecordRetraceWithKey:  one retrace and one key into the recording   < 1 us
//   BM_DisplayTraceLine:      fingerprints of the page and palette, a line  < 0.3 ms
#include <benchmark/benchmark.h>

#include <array>

#include "replay/display_trace.h"
#include "replay/key_recording.h"
#include "screen/keyboard.h"
#include "screen/screen.h"

namespace {

void BM_RecordRetraceWithKey(benchmark::State& state) {
  kestal::replay::KeyRecording recording;
  for (auto _ : state) {
    recording.waitingForRetrace();
    recording.add(kestal::extendedKey('H'));
  }
  benchmark::DoNotOptimize(recording.lines().data());
}
BENCHMARK(BM_RecordRetraceWithKey);

void BM_DisplayTraceLine(benchmark::State& state) {
  kestal::openScreen();
  std::array<char, kestal::replay::TRACE_LINE_MAX_CHARS> line{};
  std::uint64_t retrace = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kestal::replay::appendDisplayTraceLine(line.data(), ++retrace));
  }
}
BENCHMARK(BM_DisplayTraceLine)->Unit(benchmark::kMicrosecond);

}  // namespace
