// The lost ship bursts into debris under the blinking game-over text while the mines
// drift on; the heat gauge drains. Ends on "q" or Escape.
#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

void stepOverColour(GameState& s) {
  s.overColour += s.overColourStep;
  if (s.overColour == 0) s.overColourStep = 1;
  if (s.overColour == 30) s.overColourStep = -1;
}

// The ship is erased with the fan of a timer of 0 and a shrunken ring; the laser's idle
// step is skipped.
void eraseLostShip(const GameState& s) {
  eraseShipHull(s);
  eraseLaserFan(s);
  drawCircle(s.shipPrevX - 2, s.shipPrevY, 0.125 * s.shieldRadius + 5, 0);
}

void scatterDebris(GameState& s) {
  for (int n = 1; n <= DEBRIS_COUNT; ++n) {
    s.debrisX[n] = s.shipPrevX;
    s.debrisY[n] = s.shipPrevY;
    s.debrisVx[n] = randomUnit() * 8 - 4;
    s.debrisVy[n] = randomUnit() * 8 - 4;
  }
}

void gameOverPass(GameContext& g) {
  GameState& s = g.state;
  s.keyText = readKey();
  waitRetrace();
  showWorkPage();
  stepPulse(s);
  animateDebris(s);
  s.overFrames += 1;
  drawStarField(s);
  drawMessageGhost(s);
  if (s.engineHeat > 0) s.engineHeat -= 0.5;
  drawHeatGauge(s, 0.5);
  busyWait(g);
  stepOverColour(s);
  drawGameOverMessage(s);
  if (s.overFrames == 4) {  // no new sparks: the margin only slides, every third pass
    slideShieldGauge(s);
    s.overFrames = 1;
  }
  updateMines(g, false);
  drawStatusText(s, true);
  stepPulse(s);
  stepColourPulse(s);
}

}  // namespace

void gameOver(GameContext& g) {
  GameState& s = g.state;
  eraseLostShip(s);
  scatterDebris(s);
  while (!quitRequested(s)) gameOverPass(g);
}

}  // namespace kestal
