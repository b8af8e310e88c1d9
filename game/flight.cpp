// The ship: inertial thrust, the brake, the walls, heat and shields.
#include <cmath>

#include "game/phases.h"
#include "screen/keyboard.h"

namespace kestal {

namespace {

void loseShip(GameContext& g) {
  g.state.shipLost = 1;
  g.state.keyText = "q";  // the frame loop ends after this frame
  g.sound.play(SoundSlot::Explosion, false);
}

}  // namespace

void driftShip(GameState& s) {
  s.shipX += s.shipVx;
  s.shipY += s.shipVy;
}

// The letters e r t / d f g / c v b sit around the brake f in the directions they push.
void applyFlightCommand(GameContext& g) {
  GameState& s = g.state;
  const std::string& key = s.keyText;
  const double t = s.thrustStep;
  if (key == KEY_LEFT || key == "d") s.shipVx -= t;
  if (key == "e") {
    s.shipVx -= t;
    s.shipVy -= t;
  }
  if (key == KEY_UP || key == "r") s.shipVy -= t;
  if (key == "t") {
    s.shipVx += t;
    s.shipVy -= t;
  }
  if (key == KEY_RIGHT || key == "g") s.shipVx += t;
  if (key == "b") {
    s.shipVx += t;
    s.shipVy += t;
  }
  if (key == KEY_DOWN || key == "v") s.shipVy += t;
  if (key == "c") {
    s.shipVx -= t;
    s.shipVy += t;
  }
  if (key == "f") {
    s.shipVx *= 0.6;
    s.shipVy *= 0.6;
  }
}

void chargeShields(GameContext& g) {
  GameState& s = g.state;
  if (s.shieldEnergy < SHIELD_CHARGE_LIMIT) {
    s.shieldEnergy += 5;
    s.engineHeat += 8;
    g.sound.play(SoundSlot::Shield, false);
  }
}

void coolEngines(GameContext& g) {
  GameState& s = g.state;
  if (s.shieldEnergy > 10 && s.engineHeat > 6) {
    s.shieldEnergy -= 10;
    s.engineHeat -= 6;
    g.sound.play(SoundSlot::Hit, false);
  }
}

// Left and top always send the ship inwards; right and bottom reverse whatever the sign.
void bounceShip(GameState& s) {
  if (s.shipX <= 73) {
    s.shipX = 73;
    s.shipVx = std::abs(s.shipVx) * 0.5;
    s.bounceFlash = 1;
  }
  if (s.shipY <= 35) {
    s.shipY = 35;
    s.shipVy = std::abs(s.shipVy) * 0.5;
    s.bounceFlash = 1;
  }
  if (s.shipX >= 568) {
    s.shipX = 568;
    s.shipVx = -0.5 * s.shipVx;
    s.bounceFlash = 1;
  }
  if (s.shipY >= 363) {
    s.shipY = 363;
    s.shipVy = -0.5 * s.shipVy;
    s.bounceFlash = 1;
  }
}

// Passive cooling comes before the overheating test; both losses may fire in one frame.
void heatBookkeeping(GameContext& g) {
  GameState& s = g.state;
  if (s.engineHeat > 0) s.engineHeat -= 0.25;
  if (s.engineHeat > HEAT_LIMIT) loseShip(g);
  if (s.shieldEnergy < 0) loseShip(g);
}

}  // namespace kestal
