// The frame of play: one key, the retrace, the busy wait, then the phases in their fixed
// order. Nothing here allocates.
#include <cmath>

#include "game/palettes.h"
#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/screen.h"

namespace kestal {

namespace {

// Dims the picture ramp step by ramp step, waits for any key (which only resumes), and
// brings the game palette back the same way.
void pause() {
  for (int i = 0; i <= 63; ++i) {
    installPaletteStep(GamePalette::Pause, i);
    waitRetrace();
    showWorkPage();
  }
  while (readKey().empty()) {
  }
  for (int i = 0; i <= 63; ++i) {
    installPaletteStep(GamePalette::Game, i);
    waitRetrace();
    showWorkPage();
  }
}

void applyCommands(GameContext& g) {
  GameState& s = g.state;
  applyFlightCommand(g);  // thrusters and brake
  if (s.keyText == " " || s.keyText == "j") fireLaser(g);
  if (s.keyText == KEY_ENTER || s.keyText == "k") chargeShields(g);
  if (s.keyText == "=" || s.keyText == "h") coolEngines(g);
  if (s.keyText == "p") pause();
  if (s.keyText == KEY_BACKSPACE || s.keyText == "l") nextLevelCommand(s);
}

}  // namespace

void runFrame(GameContext& g) {
  GameState& s = g.state;
  s.keyText = readKey();
  waitRetrace();
  showWorkPage();
  busyWait(g);
  driftShip(s);
  stepPulse(s);
  stepColourPulse(s);
  applyCommands(g);
  bounceShip(s);
  updateMines(g, true);
  if (s.bounceFlash > 0) {
    s.bounceFlash -= 1;
    drawPlayfieldBorder();
  }
  drawMessageGhost(s);
  drawStarField(s);
  victoryTest(s);
  redrawShip(g);
  heatBookkeeping(g);
  drawHeatGauge(s, 0.35);
  drawShieldGauge(s);
  drawStatusText(s, false);
}

bool quitRequested(const GameState& s) {
  return s.keyText == "q" || s.keyText == KEY_ESCAPE;
}

// The game's speed control beyond the retrace: the work must really be done, so the
// result goes through a volatile store.
void busyWait(GameContext& g) {
  if (!g.run.busyWaits) return;
  GameState& s = g.state;
  volatile double& sink = s.delaySink;
  const double limit = s.delayCount;
  for (double i = 1; i <= limit; i += 1) sink = std::sin(i) * std::cos(i);
}

void frameLoop(GameContext& g) {
  while (!quitRequested(g.state)) runFrame(g);
}

}  // namespace kestal
