// libFuzzer target: arbitrary bytes through the replay tool's key script reader, then the
// whole game run headless on keys made from the same bytes, for a bounded number of
// retraces. Bytes that read as a script with events play those events; any other bytes are
// taken as a stream of key codes. Besides the sanitizers' findings, a broken promise of the
// reader or of the game's own limits aborts the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_sound.h"
#include "game/game_state.h"
#include "screen/keyboard.h"
#include "tests/robustness/headless_run.h"
#include "tests/robustness/key_sets.h"
#include "replay/key_script.h"

namespace {

using kestal::GameState;
using kestal::replay::KeyEvent;
using kestal::replay::KeyScript;

// Enough for the Delay prompt, play, a whole pause (128 retraces), a lost ship and the
// prompt, while an input still runs in a fraction of a second under the sanitizers.
constexpr std::uint64_t MAX_RETRACES = 400;
constexpr std::uint64_t RETRACES_AFTER_LAST_KEY = 30;
// A typed 99999999 would make every frame a hundred million iterations long.
constexpr double MAX_DELAY = 50;

[[noreturn]] void broken(const char* promise) {
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

bool isQueueEntry(int entry) {
  return entry >= 0 && (entry <= 255 || (entry <= 65535 && entry % 256 == 255));
}

// The reader's promises: one line naming the line at fault and no events, or events in
// retrace order that the key queue can hold.
void checkScript(const KeyScript& script) {
  if (!script.error.empty()) {
    if (!script.error.starts_with("line ")) broken("an error names its line");
    if (script.error.find('\n') != std::string::npos) broken("an error is one line");
    if (!script.events.empty()) broken("a refused script has no events");
    return;
  }
  for (std::size_t i = 0; i < script.events.size(); ++i) {
    if (!isQueueEntry(script.events[i].entry)) broken("events are queue entries");
    if (i > 0 && script.events[i].retrace < script.events[i - 1].retrace) {
      broken("events are in retrace order");
    }
  }
}

// What the game keeps within bounds whatever the keys.
void checkGame(const GameState& s) {
  if (s.mineCount == 0) return;  // no level has started yet
  // A pause comes between the ship's drift and the wall test: one step beyond is allowed.
  auto inField = [](double x, double y) { return x >= 73 && x <= 568 && y >= 35 && y <= 363; };
  if (!inField(s.shipX, s.shipY) && !inField(s.shipX - s.shipVx, s.shipY - s.shipVy)) {
    broken("ship within the walls");
  }
  if (s.laserTimer < -1 || s.laserTimer > 11) broken("laser timer within -1..11");
  if (s.levelIndex < 0 || s.levelIndex > kestal::LEVEL_COUNT) broken("level within 0..11");
  if (s.mineCount > kestal::MAX_MINES || s.minesKilled > s.mineCount) broken("mine count");
  if (s.shieldEnergy > 204) broken("shield at most 204");
}

void play(const std::vector<KeyEvent>& events) {
  const std::uint64_t lastKey = events.empty() ? 0 : events.back().retrace;
  const std::uint64_t limit = std::min(MAX_RETRACES, lastKey + RETRACES_AFTER_LAST_KEY);
  std::size_t next = 0;
  kestal::robustness::RunHooks hooks;
  hooks.onRetrace = [&](std::uint64_t retrace, GameState& s) {
    if (s.delayCount > MAX_DELAY) s.delayCount = MAX_DELAY;
    checkGame(s);
    while (next < events.size() && events[next].retrace <= retrace) {
      kestal::pushKey(events[next++].entry);
    }
    return true;
  };
  // As the replay tool does: a pause waiting for a key gets the next one early.
  hooks.onStall = [&](std::uint64_t, GameState&) {
    if (next == events.size()) return false;
    kestal::pushKey(events[next++].entry);
    return true;
  };
  auto state = std::make_unique<GameState>();
  kestal::NoSound sound;
  kestal::robustness::runHeadless(*state, kestal::SOUND_EDITION, sound, hooks, limit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  const KeyScript script = kestal::replay::parseKeyScript(text);
  checkScript(script);
  play(script.error.empty() && !script.events.empty()
           ? script.events
           : kestal::robustness::keyCodeStream(std::span<const std::uint8_t>(data, size)));
  return 0;
}
