// The game's work per frame and the presentation of a frame, timed inside a browser, where
// the WebAssembly build runs with the same Asyncify instrumentation as the editions. Prints
// one line per measure: "web-bench NAME median-ms runs". One refresh at 60 Hz is 16.7 ms.
// With "?retraces" in the page's address it times every kind of retrace instead, each with
// its presentation, one retrace a sample: "web-retrace NAME median-ms worst-ms samples"; then
// the same without pictures (nothing to present; names ending in "_no_pictures"), and the
// whole-game recording with and without pictures: "web-whole-game NAME median-ms retraces".
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/game_fixture.h"
#include "bench/retrace_kinds.h"
#include "bench/whole_game.h"
#include "replay/display_trace.h"
#include "replay/key_recording.h"
#include "platform/web/web_picture.h"
#include "screen/keyboard.h"

namespace {

// The page's presentation, as the editions use it (kestal-page.js).
EM_JS(int, benchPageOpen, (), { return kestalPage.open() ? 1 : 0; });
EM_JS(void, benchPagePresent, (const void* rgba, int first, int last),
      { kestalPage.present(HEAPU8, rgba, first, last); });
EM_JS(int, benchRetracesAsked, (),
      { return new URLSearchParams(location.search).has("retraces") ? 1 : 0; });

constexpr int WARM_UP_BATCHES = 10;

// Timer resolution in a browser is coarse (0.1 ms or worse without cross-origin isolation):
// each sample times a batch and reports the time of one run.
// The first runs go to warming up: the browser compiles WebAssembly quickly first and well
// later, in the background.
template <typename Work>
double medianMs(int samples, int batch, Work&& work) {
  for (int i = 0; i < WARM_UP_BATCHES * batch; ++i) work();
  std::vector<double> times;
  for (int i = 0; i < samples; ++i) {
    const double start = emscripten_get_now();
    for (int j = 0; j < batch; ++j) work();
    times.push_back((emscripten_get_now() - start) / batch);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void report(const char* name, double ms, int runs) {
  std::printf("web-bench %s %.4f %d\n", name, ms, runs);
}

// The web display's presentation at each retrace (web_display.cpp).
void presentChanges() {
  static kestal::WebPicture picture;
  const kestal::WebPicture::ChangedRows rows = picture.update();
  if (!rows.empty()) benchPagePresent(picture.rgba(), rows.first, rows.last);
}

void timeRetraces(bool canvas) {
  using namespace kestal;
  for (const Pictures pictures : {Pictures::Kept, Pictures::Skipped}) {
    const bool kept = pictures == Pictures::Kept;
    const std::string suffix = kept ? "" : NO_PICTURES_SUFFIX;
    for (const RetraceKindName& kind : RETRACE_KINDS) {
      const RetraceFigures f = measureRetraces(
          kind.kind, canvas && kept ? presentChanges : std::function<void()>{}, pictures);
      std::printf("web-retrace %s%s %.4f %.4f %zu\n", kind.name, suffix.c_str(), f.medianMs,
                  f.worstMs, f.samples);
    }
    const WholeGameFigures game = medianWholeGame(pictures, 3);
    std::printf("web-whole-game whole_game%s %.1f %llu\n", suffix.c_str(), game.ms,
                static_cast<unsigned long long>(game.retraces));
  }
}

void timeFrames(bool canvas) {
  using namespace kestal;
  {
    GameFixture level;
    level.startLevel11();
    report("frame_of_play_level11", medianMs(41, 20, [&] { level.frameOfLevel11(); }), 820);
  }
  {
    GameFixture victory;
    report("final_victory_pass", medianMs(31, 1, [&] { finalVictoryPass(victory.s); }), 31);
  }
  {
    // What the page's recording adds to a retrace with a key, and ?trace its trace line.
    replay::KeyRecording recording;
    report("record_retrace_with_key",
           medianMs(41, 1000,
                    [&] {
                      recording.waitingForRetrace();
                      recording.add(extendedKey('H'));
                    }),
           41000);
    std::array<char, replay::TRACE_LINE_MAX_CHARS> line{};
    std::uint64_t retrace = 0;
    report("trace_line",
           medianMs(41, 5, [&] { replay::appendDisplayTraceLine(line.data(), ++retrace); }), 205);
  }
  if (canvas) {
    // Every row changed, as after showWorkPage: the palette conversion and canvas update.
    static WebPicture picture;
    const auto present = [] {
      showWorkPage();
      const WebPicture::ChangedRows rows = picture.update();
      benchPagePresent(picture.rgba(), rows.first, rows.last);
    };
    report("present_frame", medianMs(41, 10, present), 410);
  }
}

}  // namespace

int main() {
  const bool canvas = benchPageOpen() != 0;
  if (benchRetracesAsked() != 0) {
    timeRetraces(canvas);
  } else {
    timeFrames(canvas);
  }
  std::printf("web-bench done\n");
  return 0;
}
