// What a run of the game can be asked beyond the editions' play. A verifier runs without the
// busy waits, which are the player's speed control and change nothing drawn or kept (the
// warp's random draws are still made, at once), and hears where each game starts and ends.
#pragma once

#include "game/game_state.h"

namespace kestal {

class GameObserver {
 public:
  virtual ~GameObserver() = default;
  virtual void gameStarted(const GameState& state) = 0;  // scores set to zero, before level 1
  virtual void gameEnded(const GameState& state) = 0;    // before "Play again?"
};

struct RunSettings {
  bool busyWaits = true;
  GameObserver* observer = nullptr;
};

inline constexpr RunSettings EDITION_RUN{};

}  // namespace kestal
