// Runs the whole game in this process on the headless display, with a driver that sees the
// live state at every retrace and types keys. Shared by the soaks, the extremes, the
// allocation count and the fuzz target, so it links neither GoogleTest nor anything that
// allocates while the game runs.
#pragma once

#include <cstdint>
#include <functional>

#include "game/edition.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "platform/headless/headless_display.h"

namespace kestal::robustness {

// The game polls an empty queue this often in a row, without a retrace, only where it
// cannot go on without a key (the pause); the replay tool then hands over its next key.
inline constexpr int EMPTY_POLLS_BEFORE_STALL = 1000;

struct RunHooks {
  // At every retrace (counted from 1), before the keys of that retrace would be read.
  // Keys typed here (pushKey) go into the queue as a script's keys for this retrace do.
  // Returning false stops the run.
  std::function<bool(std::uint64_t retrace, GameState& state)> onRetrace;
  // The game waits for a key without retraces: type one, or return false to stop.
  std::function<bool(std::uint64_t retrace, GameState& state)> onStall;
};

struct RunOutcome {
  std::uint64_t retraces = 0;
  bool endedByGame = false;  // exitProgram was called
  int exitCode = -1;
};

// `state` must be as at program start (all zero). Stops after `maxRetraces` at the latest.
RunOutcome runHeadless(GameState& state, const Edition& edition, GameSound& sound,
                       const RunHooks& hooks, std::uint64_t maxRetraces,
                       HeadlessDisplay::Pictures pictures = HeadlessDisplay::Pictures::Kept);

}  // namespace kestal::robustness
