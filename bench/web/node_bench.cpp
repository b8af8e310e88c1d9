// Every kind of retrace timed by Node.js, in the WebAssembly build kestal-replay.js uses (no
// Asyncify, no page, nothing presented), with pictures and without them. Prints "node-retrace
// NAME median-ms worst-ms samples" per kind, then "node-whole-game NAME median-ms retraces"
// for the whole-game recording played with and without pictures.
#include <cstdio>
#include <string>

#include "bench/retrace_kinds.h"
#include "bench/whole_game.h"

int main() {
  using namespace kestal;
  for (const Pictures pictures : {Pictures::Kept, Pictures::Skipped}) {
    const std::string suffix = pictures == Pictures::Kept ? "" : NO_PICTURES_SUFFIX;
    for (const RetraceKindName& kind : RETRACE_KINDS) {
      const RetraceFigures f = measureRetraces(kind.kind, {}, pictures);
      std::printf("node-retrace %s%s %.4f %.4f %zu\n", kind.name, suffix.c_str(), f.medianMs,
                  f.worstMs, f.samples);
    }
    const WholeGameFigures game = medianWholeGame(pictures, 5);
    std::printf("node-whole-game whole_game%s %.1f %llu\n", suffix.c_str(), game.ms,
                static_cast<unsigned long long>(game.retraces));
  }
  return 0;
}
