// What every phase of the game works on: the one state record, the edition's settings
// and the door to sound.
#pragma once

#include "game/edition.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/run_settings.h"

namespace kestal {

struct GameContext {
  GameState& state;
  const Edition& edition;
  GameSound& sound;
  const RunSettings& run = EDITION_RUN;
};

}  // namespace kestal
