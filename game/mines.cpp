// Space mines: they drift, bounce off the walls, home in on the ship and drain its shield.
#include <cmath>

#include "game/phases.h"
#include "screen/random.h"

namespace kestal {

namespace {

// Unlike the ship's walls these tests are strict, and the left wall stands at 70.
void bounceMine(GameState& s, int m) {
  if (s.mineX[m] < 70) {
    s.mineX[m] = 70;
    s.mineVx[m] = std::abs(s.mineVx[m]) * 0.5;
    s.bounceFlash = 1;
  }
  if (s.mineY[m] < 35) {
    s.mineY[m] = 35;
    s.mineVy[m] = std::abs(s.mineVy[m]) * 0.5;
    s.bounceFlash = 1;
  }
  if (s.mineX[m] > 568) {
    s.mineX[m] = 568;
    s.mineVx[m] = -0.5 * s.mineVx[m];
    s.bounceFlash = 1;
  }
  if (s.mineY[m] > 363) {
    s.mineY[m] = 363;
    s.mineVy[m] = -0.5 * s.mineVy[m];
    s.bounceFlash = 1;
  }
}

void touchShip(GameContext& g, int m) {
  GameState& s = g.state;
  if (s.mineX[m] - 9 < s.shipX && s.mineX[m] + 9 > s.shipX && s.mineY[m] - 9 < s.shipY &&
      s.mineY[m] + 9 > s.shipY) {
    s.shieldEnergy -= 2;
    g.sound.play(SoundSlot::Hit, false);
  }
}

// Homing changes velocity, not position, so mines overshoot and swing back.
void homeOnShip(GameState& s, int m) {
  if (s.mineX[m] < s.shipX) s.mineVx[m] += s.mineAccel;
  if (s.mineX[m] > s.shipX) s.mineVx[m] -= s.mineAccel;
  if (s.mineY[m] < s.shipY) s.mineVy[m] += s.mineAccel;
  if (s.mineY[m] > s.shipY) s.mineVy[m] -= s.mineAccel;
}

// After the ship is lost the mines only bounce and drift: no contact, no homing.
void updateLiveMine(GameContext& g, int m, bool inPlay) {
  GameState& s = g.state;
  bounceMine(s, m);
  if (inPlay) touchShip(g, m);
  s.mineX[m] += s.mineVx[m];
  s.mineY[m] += s.mineVy[m];
  if (inPlay) homeOnShip(s, m);
  redrawMine(s, m);
  laserTest(g, m);
}

}  // namespace

void spawnMines(GameState& s) {
  const double count = s.mineCount;
  for (int m = 1; m <= count; ++m) {
    s.mineHealth[m] = MINE_START_HEALTH;
    s.mineVx[m] = randomUnit() * 5 - 2.5;
    s.mineVy[m] = randomUnit() * 5 - 2.5;
    s.mineX[m] = randomUnit() * 20 + 500;
    s.mineY[m] = randomUnit() * 150 + 150;
  }
}

void updateMines(GameContext& g, bool inPlay) {
  GameState& s = g.state;
  const double count = s.mineCount;
  for (int m = 1; m <= count; ++m) {
    if (s.mineHealth[m] > 0) {
      updateLiveMine(g, m, inPlay);
    } else {
      animateBurst(s, m);
    }
  }
}

}  // namespace kestal
