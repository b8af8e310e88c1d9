// Nothing the game keeps depends on its pictures: with them and without them, every key script
// the project has and every fuzz seed give the same state line at every retrace. And a game
// that read back a pixel it drew would be caught by this check. (Random-key storms: the long
// group, pictures_storm_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "replay/key_script.h"
#include "screen/screen.h"
#include "tests/robustness/key_sets.h"
#include "tests/robustness/state_lines.h"

namespace kestal::robustness {
namespace {

namespace fs = std::filesystem;
using Pictures = HeadlessDisplay::Pictures;
using replay::KeyEvent;

const fs::path SOURCE = KESTAL_SOURCE_DIR;

std::string differenceOnEvents(const std::vector<KeyEvent>& events, const Edition& edition,
                               const StateChange& change = {}) {
  const StateLines drawn = playedStates(events, edition, Pictures::Kept, change);
  EXPECT_FALSE(drawn.empty()) << "the run never reached a retrace";
  return firstDifference(drawn, playedStates(events, edition, Pictures::Skipped, change));
}

struct Recording {
  std::vector<KeyEvent> events;
  const Edition* edition = &SOUND_EDITION;
};

// A script as kestal-replay reads it; anything else (a fuzz seed of raw bytes) as the fuzz
// target does.
Recording recordingAt(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::istringstream text(bytes);
  const replay::KeyScript script = replay::parseKeyScript(text);
  const Edition* edition =
      bytes.find("# edition: silent") != std::string::npos ? &SILENT_EDITION : &SOUND_EDITION;
  if (script.error.empty() && !script.events.empty()) return {script.events, edition};
  return {
      keyCodeStream(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())),
      edition};
}

// Every key script under tests/ and docs/, and every fuzz seed.
std::vector<fs::path> recordingPaths() {
  std::vector<fs::path> found;
  for (const fs::path& folder : {SOURCE / "tests", SOURCE / "docs"}) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      const fs::path& path = entry.path();
      const bool seed = path.parent_path().filename() == "seeds";
      if (entry.is_regular_file() && (path.extension() == ".keys" || seed) &&
          path.string().find("node_modules") == std::string::npos) {
        found.push_back(path);
      }
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

TEST(PicturesOrNot, EveryRecordingAndFuzzSeedKeepsTheSameState) {
  const std::vector<fs::path> paths = recordingPaths();
  ASSERT_GE(paths.size(), 8u) << "the whole game, the pictures' scripts and the fuzz seeds";
  for (const fs::path& path : paths) {
    const Recording recording = recordingAt(path);
    EXPECT_EQ(differenceOnEvents(recording.events, *recording.edition), "") << path;
  }
}

// The check above, shown to catch a game that keeps something it read off its own picture:
// here the ship's cockpit pixel, which play draws in colour 210.
TEST(PicturesOrNot, AGameThatReadsAPixelItDrewIsCaught) {
  const Recording recording = recordingAt(SOURCE / "tests/robustness/fuzz/seeds/overheat.keys");
  const StateChange readsItsPicture = [](GameState& s) {
    if (readPoint(s.shipX, s.shipY) > 0) s.score += 3;
  };
  EXPECT_NE(differenceOnEvents(recording.events, SOUND_EDITION, readsItsPicture), "");
  EXPECT_EQ(differenceOnEvents(recording.events, SOUND_EDITION), "");
}

}  // namespace
}  // namespace kestal::robustness
