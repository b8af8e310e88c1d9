// The game's main routine: start-up screens, the Delay prompt, then games until the player
// answers no. Ends through exitProgram.
#pragma once

#include "game/edition.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/run_settings.h"

namespace kestal {

// Runs the whole program after the sound set-up, on `state` (zero, as at program start).
[[noreturn]] void runGame(GameState& state, const Edition& edition, GameSound& sound,
                          const RunSettings& run = EDITION_RUN);

}  // namespace kestal
