// The laser: a beam to the right-hand wall that burns every mine in its band.
#include "game/phases.h"
#include "screen/random.h"

namespace kestal {

namespace {

void burstMine(GameContext& g, int m) {
  GameState& s = g.state;
  for (int p = 1; p <= BURST_PARTICLES; ++p) {
    s.burstX[m][p] = s.minePrevX[m];
    s.burstY[m][p] = s.minePrevY[m];
    s.burstVx[m][p] = randomUnit() * 8 - 4;
    s.burstVy[m][p] = randomUnit() * 8 - 4;
  }
  s.score += 3;
  s.minesKilled += 1;
  s.burstCount[m] = BURST_PARTICLES;
  g.sound.play(SoundSlot::Explosion, false);
}

}  // namespace

// Each accepted press adds three frames (and three units of power) of beam. Only a shot
// from idle (-1 to 2) starts the looping sound, so refiring never restarts it.
void fireLaser(GameContext& g) {
  GameState& s = g.state;
  if (s.laserTimer < LASER_TIMER_LIMIT) {
    s.laserTimer += 3;
    s.engineHeat += 5;
    if (s.laserTimer == 2) g.sound.play(SoundSlot::Laser, true);
  }
}

void laserTest(GameContext& g, int m) {
  GameState& s = g.state;
  if (s.laserTimer > 0 && s.mineX[m] > s.shipX && s.shipY - 5 < s.mineY[m] &&
      s.shipY + 5 > s.mineY[m]) {
    // The timer is a small whole number (at most 11) here.
    s.mineHealth[m] -= static_cast<std::int32_t>(s.laserTimer);
    g.sound.play(SoundSlot::Hit, false);
    if (s.mineHealth[m] <= 0) burstMine(g, m);
  }
}

}  // namespace kestal
