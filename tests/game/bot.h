// A simple pilot for tests: keeps near the left, lines up with a mine and fires, minds its
// heat and shield, and leaves a won level. One key per retrace at most.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>

#include "game/game_state.h"
#include "screen/keyboard.h"

namespace kestal::testing {

inline std::optional<int> nearestMineToTheRight(const GameState& s) {
  std::optional<int> best;
  for (int m = 1; m <= s.mineCount; ++m) {
    if (s.mineHealth[m] <= 0 || s.mineX[m] <= s.shipX + 12) continue;
    if (!best || std::abs(s.mineY[m] - s.shipY) < std::abs(s.mineY[*best] - s.shipY)) best = m;
  }
  return best;
}

// The queue entry the pilot types now, or nothing.
inline std::optional<int> pilotKey(const GameState& s) {
  if (!s.messageText.empty() && s.shipLost == 0) return '\b';
  if (s.engineHeat > 30 && s.shieldEnergy > 20) return '=';
  if (s.shieldEnergy < 60 && s.engineHeat < 25) return '\r';
  const auto target = nearestMineToTheRight(s);
  if (target && std::abs(s.mineY[*target] - s.shipY) < 4 && s.laserTimer < 9 && s.engineHeat < 40) {
    return ' ';
  }
  if (std::abs(s.shipVx) > 1.5 || (s.shipX > 170 && s.shipVx > 0) ||
      (s.shipX < 120 && s.shipVx < 0)) {
    return 'f';
  }
  if (s.shipX > 180 && s.shipVx >= 0) return extendedKey('K');
  if (s.shipX < 110 && s.shipVx <= 0) return extendedKey('M');
  if (target) {
    const double wanted = std::clamp((s.mineY[*target] - s.shipY) / 25, -2.0, 2.0);
    if (s.shipVy < wanted - 0.5) return extendedKey('P');
    if (s.shipVy > wanted + 0.5) return extendedKey('H');
  }
  return std::nullopt;
}

// Types only while frames of play run (the pulse moves every frame): keys typed during a
// warp or a pause would pile up in the queue and fire all at once later.
class Pilot {
 public:
  std::optional<int> key(const GameState& s) {
    const bool playing = s.pulse != lastPulse_ && s.shipLost == 0;
    lastPulse_ = s.pulse;
    return playing ? pilotKey(s) : std::nullopt;
  }

 private:
  double lastPulse_ = 0;  // the pulse rests at 0 until the first level starts
};

}  // namespace kestal::testing
