// Every kind of retrace the game has, run by the game's own code on a headless screen, for
// the native and the browser benchmarks alike: what must fit one refresh of the display
// (16.7 ms at 60 Hz, 8.3 ms at 120 Hz). A sample is the work of one retrace or, for the
// sequences (warp, game over, play-again prompt), the heaviest retrace of one run. Each kind
// also runs without pictures, as the hall of fame verifies a game: its name then ends in
// "_no_pictures".
#pragma once

#include <algorithm>
#include <array>
#include <ctime>
#include <functional>
#include <string_view>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "bench/game_fixture.h"
#include "game/palettes.h"
#include "platform/headless/headless_display.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"

namespace kestal {

enum class RetraceKind { Play, DelayPromptWave, PauseFadeStep, Warp, GameOver, PlayAgain, Victory };

// Whether a sample is the heaviest retrace of a run of several.
constexpr bool isSequence(RetraceKind kind) {
  return kind == RetraceKind::Warp || kind == RetraceKind::GameOver ||
         kind == RetraceKind::PlayAgain;
}

struct RetraceKindName {
  RetraceKind kind;
  const char* name;
};

inline constexpr const char* NO_PICTURES_SUFFIX = "_no_pictures";

inline constexpr std::array<RetraceKindName, 7> RETRACE_KINDS = {{
    {RetraceKind::Play, "frame_of_play_level11"},
    {RetraceKind::DelayPromptWave, "delay_prompt_wave"},
    {RetraceKind::PauseFadeStep, "pause_fade_step"},
    {RetraceKind::Warp, "warp_heaviest"},
    {RetraceKind::GameOver, "game_over_heaviest"},
    {RetraceKind::PlayAgain, "play_again_heaviest"},
    {RetraceKind::Victory, "final_victory_pass"},
}};

#ifdef __EMSCRIPTEN__
// Node.js tells the processor time the program had; a browser offers only the wall clock.
EM_JS(double, benchClockMs, (), {
  if (typeof process == "object") {
    const used = process.cpuUsage();
    return (used.user + used.system) / 1000;
  }
  return performance.now();
});
#endif

// Processor time where there is one: the machines these run on are shared, and time given to
// other programs would otherwise show up as the slowest retraces.
inline double nowMs() {
#ifdef __EMSCRIPTEN__
  return benchClockMs();
#else
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
#endif
}

using Pictures = HeadlessDisplay::Pictures;

class RetraceSampler {
 public:
  // `present` runs at every retrace, where a display would show the picture.
  explicit RetraceSampler(RetraceKind kind, std::function<void()> present = {},
                          Pictures pictures = Pictures::Kept)
      : display_(retraceHooks(), pictures),
        present_(std::move(present)),
        sequence_(isSequence(kind)) {
    setDisplayBackend(&display_);
    // Opened again on this display, which says whether the screen keeps pictures.
    openScreen();
    setPages(1, 0);
    prepare(kind);
  }
  ~RetraceSampler() { setDisplayBackend(nullptr); }
  RetraceSampler(const RetraceSampler&) = delete;
  RetraceSampler& operator=(const RetraceSampler&) = delete;

  // Runs one sample; its time in milliseconds.
  double sampleMs() {
    retraces_ = 0;
    heaviest_ = 0;
    const double start = nowMs();
    lastRetrace_ = start;
    run_();
    return sequence_ ? heaviest_ : nowMs() - start;
  }

 private:
  // A sequence runs this many retraces, then gets the key that ends it.
  static constexpr int SEQUENCE_RETRACES = 30;

  void prepare(RetraceKind kind) {
    GameState& s = f_.s;
    switch (kind) {
      case RetraceKind::Play:
        f_.startLevel11();
        run_ = [this] { f_.frameOfLevel11(); };
        break;
      case RetraceKind::DelayPromptWave:
        startUp(f_.g);
        typeDelay("88888888");  // the widest number: the most pixels to shimmer
        run_ = [&s] { promptRetrace(s); };
        break;
      case RetraceKind::PauseFadeStep:
        f_.startLevel11();
        run_ = [this] { fadeStep(); };
        break;
      case RetraceKind::Warp:
        f_.startLevel11();
        run_ = [this] { warp(f_.g); };
        break;
      case RetraceKind::GameOver:
        f_.startLevel11();
        for (int i = 0; i < 10; ++i) f_.frameOfLevel11();
        endKey_ = 'q';
        run_ = [this, &s] {
          s.keyText.clear();
          gameOver(f_.g);
        };
        break;
      case RetraceKind::PlayAgain:
        startUp(f_.g);
        endKey_ = 'n';
        run_ = [this] { playAgainPrompt(f_.g); };
        break;
      case RetraceKind::Victory:
        f_.startLevel11();
        run_ = [&s] { finalVictoryPass(s); };
        break;
    }
  }

  // The Delay prompt with `digits` typed, left on the screen as the player sees it.
  void typeDelay(std::string_view digits) {
    for (char c : digits) pushKey(c);
    pushKey('\r');
    delayPrompt(f_.g);
  }

  // One retrace of the Delay prompt while no key comes.
  static void promptRetrace(GameState& s) {
    delayPromptWave(s);
    s.keyText = readKey();
    waitRetrace();
    showWorkPage();
  }

  void fadeStep() {
    installPaletteStep(GamePalette::Pause, fadeStep_);
    fadeStep_ = (fadeStep_ + 1) % 64;
    waitRetrace();
    showWorkPage();
  }

  HeadlessDisplay::Hooks retraceHooks() {
    HeadlessDisplay::Hooks hooks;
    hooks.onRetrace = [this](std::uint64_t) { onRetrace(); };
    return hooks;
  }

  void onRetrace() {
    if (present_) present_();
    const double now = nowMs();
    heaviest_ = std::max(heaviest_, now - lastRetrace_);
    lastRetrace_ = now;
    if (++retraces_ == SEQUENCE_RETRACES && endKey_ != 0) pushKey(endKey_);
  }

  HeadlessDisplay display_;
  GameFixture f_;
  std::function<void()> present_;
  std::function<void()> run_;
  bool sequence_;
  int fadeStep_ = 0;
  int endKey_ = 0;  // ends a sequence that does not end by itself
  int retraces_ = 0;
  double heaviest_ = 0;
  double lastRetrace_ = 0;
};

struct RetraceFigures {
  double medianMs;
  double worstMs;
  std::size_t samples;
};

// For the benchmarks that time by hand (browser, Node.js): after a few untimed samples, 61
// samples of a single retrace or 15 of a sequence; fewer once they have taken five seconds,
// as they may on a slow machine or a throttled browser.
inline RetraceFigures measureRetraces(RetraceKind kind, std::function<void()> present = {},
                                      Pictures pictures = Pictures::Kept) {
  RetraceSampler sampler(kind, std::move(present), pictures);
  constexpr double TIME_LIMIT_MS = 5000;
  const int warmUps = isSequence(kind) ? 2 : 10;
  const std::size_t wanted = isSequence(kind) ? 15 : 61;
  for (int i = 0; i < warmUps; ++i) sampler.sampleMs();
  std::vector<double> times;
  const double start = nowMs();
  while (times.size() < wanted && (times.size() < 5 || nowMs() - start < TIME_LIMIT_MS)) {
    times.push_back(sampler.sampleMs());
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back(), times.size()};
}

}  // namespace kestal
