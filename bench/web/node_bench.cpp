// Every kind of retrace timed by Node.js, in the WebAssembly build kestal-replay.js uses (no
// Asyncify, no page, nothing presented). Prints "node-retrace NAME median-ms worst-ms
// samples" per kind.
#include <cstdio>

#include "bench/retrace_kinds.h"

int main() {
  using namespace kestal;
  for (const RetraceKindName& kind : RETRACE_KINDS) {
    const RetraceFigures f = measureRetraces(kind.kind);
    std::printf("node-retrace %s %.4f %.4f %zu\n", kind.name, f.medianMs, f.worstMs, f.samples);
  }
  return 0;
}
