#include "tests/robustness/state_lines.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "game/game_sound.h"
#include "screen/keyboard.h"
#include "screen/random.h"
#include "tests/robustness/headless_run.h"

namespace kestal::robustness {
namespace {

constexpr double MAX_DELAY = 50;
constexpr std::uint64_t RETRACES_AFTER_LAST_KEY = 600;

}  // namespace

void StateRecorder::record(std::uint64_t retrace, GameState& s) {
  s.delayCount = std::min(s.delayCount, MAX_DELAY);
  if (change_) change_(s);
  lines_.emplace_back(line_.data(),
                      replay::appendStateLine(line_.data(), retrace, s, randomDrawCount()));
}

StateLines playedStates(const std::vector<replay::KeyEvent>& events, const Edition& edition,
                        HeadlessDisplay::Pictures pictures, const StateChange& change) {
  StateRecorder recorder(change);
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
  const std::uint64_t lastKey = events.empty() ? 0 : events.back().retrace;
  auto state = std::make_unique<GameState>();
  NoSound sound;
  runHeadless(*state, edition, sound, hooks, lastKey + RETRACES_AFTER_LAST_KEY, pictures);
  return recorder.lines();
}

std::string firstDifference(const StateLines& drawn, const StateLines& undrawn) {
  const auto [a, b] = std::mismatch(drawn.begin(), drawn.end(), undrawn.begin(), undrawn.end());
  if (a == drawn.end() && b == undrawn.end()) return "";
  std::ostringstream words;
  words << "after " << (a - drawn.begin()) << " equal lines, with pictures "
        << (a == drawn.end() ? "the run ended" : *a) << " and without "
        << (b == undrawn.end() ? "the run ended" : *b);
  return words.str();
}

}  // namespace kestal::robustness
