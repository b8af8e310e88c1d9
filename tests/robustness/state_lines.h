// The game's state line at every retrace of a run, with its pictures or without them, and
// where two such records part: how the tests show that nothing the game keeps depends on
// what it draws.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/edition.h"
#include "game/game_state.h"
#include "platform/headless/headless_display.h"
#include "replay/key_script.h"
#include "tools/replay/frame_lines.h"

namespace kestal::robustness {

using StateLines = std::vector<std::string>;
// Something a changed game might do to its state at every retrace.
using StateChange = std::function<void(GameState&)>;

// Records each retrace's state line, before that retrace's keys go in. A typed delay is
// capped at 50, as in the fuzz target: 99999999 would make every frame a second long.
class StateRecorder {
 public:
  explicit StateRecorder(StateChange change = {}) : change_(std::move(change)) {}
  void record(std::uint64_t retrace, GameState& s);
  const StateLines& lines() const { return lines_; }

 private:
  StateChange change_;
  StateLines lines_;
  std::array<char, replay::STATE_LINE_MAX_CHARS> line_{};
};

// The state lines of the game played on `events`, delivered as kestal-replay delivers them
// (a key waited for without retraces comes at once), until the program ends, no key is left
// to end a wait, or 600 retraces after the last key.
StateLines playedStates(const std::vector<replay::KeyEvent>& events, const Edition& edition,
                        HeadlessDisplay::Pictures pictures, const StateChange& change = {});

// The first retrace at which the records differ, in words; "" when they agree throughout.
std::string firstDifference(const StateLines& drawn, const StateLines& undrawn);

}  // namespace kestal::robustness
