// Nothing the game keeps depends on its pictures: every key script the project has, every fuzz
// seed and random-key storms of 20 000 retraces in both editions give the same state line at
// every retrace with pictures and without. And this check catches a game that reads back a
// pixel it drew.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "screen/random.h"
#include "screen/screen.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/key_sets.h"
#include "tests/robustness/soak_driver.h"
#include "tools/replay/frame_lines.h"

namespace kestal::robustness {
namespace {

namespace fs = std::filesystem;
using Pictures = HeadlessDisplay::Pictures;
using replay::KeyEvent;
using StateLines = std::vector<std::string>;

// Each retrace's state line, before its keys go in, after what a changed game would do. A
// typed delay is capped at 50, as in the fuzz target: 99999999 makes a frame a second long.
struct Recorder {
  std::function<void(GameState&)> change;
  StateLines lines;
  void record(std::uint64_t retrace, GameState& s) {
    s.delayCount = std::min(s.delayCount, 50.0);
    if (change) change(s);
    std::array<char, replay::STATE_LINE_MAX_CHARS> line{};
    lines.emplace_back(line.data(),
                       replay::appendStateLine(line.data(), retrace, s, randomDrawCount()));
  }
};

// The game on `events` as kestal-replay delivers them: a key waited for without retraces
// comes at once.
StateLines played(const std::vector<KeyEvent>& events, const Edition& edition, Pictures pictures,
                  Recorder recorder = {}) {
  std::size_t next = 0;
  RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
    recorder.record(retrace, s);
    for (; next < events.size() && events[next].retrace <= retrace; ++next) {
      pushKey(events[next].entry);
    }
    return true;
  };
  hooks.onStall = [&](std::uint64_t, GameState&) {
    if (next == events.size()) return false;
    pushKey(events[next++].entry);
    return true;
  };
  auto state = std::make_unique<GameState>();
  NoSound sound;
  const std::uint64_t lastKey = events.empty() ? 0 : events.back().retrace;
  runHeadless(*state, edition, sound, hooks, lastKey + 600, pictures);
  return recorder.lines;
}

// The first retrace at which the records differ; 0 when they agree at every one.
std::size_t firstDifference(const StateLines& drawn, const StateLines& undrawn) {
  if (drawn == undrawn) return 0;
  return static_cast<std::size_t>(
      std::mismatch(drawn.begin(), drawn.end(), undrawn.begin(), undrawn.end()).first -
      drawn.begin() + 1);
}

std::size_t differenceOn(const std::vector<KeyEvent>& events, Recorder recorder = {}) {
  return firstDifference(played(events, SOUND_EDITION, Pictures::Kept, recorder),
                         played(events, SOUND_EDITION, Pictures::Skipped, recorder));
}

// A key script's events; a fuzz seed that is no script read as the fuzz target reads it.
std::vector<KeyEvent> eventsIn(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::istringstream text(bytes);
  const replay::KeyScript script = replay::parseKeyScript(text);
  if (script.error.empty() && !script.events.empty()) return script.events;
  return keyCodeStream(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(PicturesOrNot, EveryKeyScriptAndFuzzSeedKeepsTheSameState) {
  const fs::path source = KESTAL_SOURCE_DIR;
  int recordings = 0;
  for (const fs::path& folder : {source / "tests", source / "docs"}) {
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::end(it); ++it) {
      const fs::path& path = it->path();
      if (path.filename() == "node_modules") it.disable_recursion_pending();
      if (path.extension() != ".keys" && path.parent_path().filename() != "seeds") continue;
      EXPECT_EQ(differenceOn(eventsIn(path)), 0u) << path;
      ++recordings;
    }
  }
  EXPECT_GE(recordings, 8);  // the whole game, the pictures' scripts, the fuzz seeds
}

// The soaks' random player on the game with pictures; its keys replayed without them.
TEST(PicturesOrNot, RandomKeyStormsKeepTheSameState) {
  constexpr std::uint64_t STORM = 20000;
  for (const Edition* edition : {&SOUND_EDITION, &SILENT_EDITION}) {
    SoakDriver driver({.seed = 27, .retraceBudget = STORM});
    Recorder drawn;
    RunHooks hooks;
    hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
      drawn.record(retrace, s);
      return driver.onRetrace(retrace, s);
    };
    hooks.onStall = [&](std::uint64_t retrace, GameState& s) { return driver.onStall(retrace, s); };
    auto state = std::make_unique<GameState>();
    NoSound sound;
    runHeadless(*state, *edition, sound, hooks, 2 * STORM);
    EXPECT_GE(drawn.lines.size(), STORM);
    EXPECT_GE(driver.tally().warps, 1);
    EXPECT_EQ(firstDifference(drawn.lines, played(driver.events(), *edition, Pictures::Skipped)),
              0u);
  }
}

// Here the game is made to keep what it reads of the ship's cockpit, which play draws in
// colour 210: the check above must find the difference.
TEST(PicturesOrNot, AGameThatReadsAPixelItDrewIsCaught) {
  const std::vector<KeyEvent> events =
      eventsIn(fs::path(KESTAL_SOURCE_DIR) / "tests/robustness/fuzz/seeds/overheat.keys");
  const auto readsItsPicture = [](GameState& s) {
    if (readPoint(s.shipX, s.shipY) > 0) s.score += 3;
  };
  EXPECT_NE(differenceOn(events, {readsItsPicture, {}}), 0u);
  EXPECT_EQ(differenceOn(events), 0u);
}

}  // namespace
}  // namespace kestal::robustness
