// Games and levels: the level table, level starts, the victory test and what follows the
// end of a level's frame loop.
#include <array>
#include <cmath>

#include "game/phases.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

struct LevelParameters {
  double mineCount;
  double mineAccel;
};

constexpr std::array<LevelParameters, LEVEL_COUNT> LEVELS = {{
    {1, 0.01},
    {3, 0.02},
    {5, 0.03},
    {7, 0.04},
    {9, 0.05},
    {10, 0.06},
    {13, 0.065},
    {16, 0.07},
    {20, 0.08},
    {25, 0.1},
    {35, 0.15},
}};

void generateStars(GameState& s) {
  for (int i = 1; i <= STAR_COUNT; ++i) {
    s.starX[i] = std::floor(randomUnit() * 1000);
    s.starY[i] = std::floor(randomUnit() * 349) + 25;
    s.starSpeed[i] = randomUnit() * 5.3 + 1;
  }
}

void resetShip(GameState& s) {
  s.shipX = SHIP_START_X;
  s.shipY = SHIP_START_Y;
  s.shipVx = 0;
  s.shipVy = 0;
  s.pulse = 1;
  s.pulseStep = 1;
  s.thrustStep = 1;
  s.colourPulse = 1;
  s.colourPulseStep = 1;
}

}  // namespace

void newGame(GameContext& g) {
  GameState& s = g.state;
  g.sound.stop(SoundSlot::Warp);
  s.levelIndex = 0;
  s.score = 0;
  s.engineHeat = 0;
  s.shipLost = 0;
  s.finalVictory = 0;
  s.levelComplete = 0;
  s.shieldEnergy = SHIELD_START;
}

void levelStart(GameContext& g) {
  GameState& s = g.state;
  clearScreen();
  s.minesKilled = 0;
  s.messageText.clear();
  s.levelComplete = 0;
  const LevelParameters& level = LEVELS[static_cast<std::size_t>(s.levelIndex)];
  s.mineCount = level.mineCount;
  s.mineAccel = level.mineAccel;
  if (s.delayCount == 0) s.delayCount = g.edition.zeroDelay;
  drawPlayfieldBorder();
  generateStars(s);
  resetShip(s);
  if (s.shieldEnergy < SHIELD_START) s.shieldEnergy = SHIELD_START;
  spawnMines(s);
}

// Runs every frame, so the message keeps blinking once the level is won.
void victoryTest(GameState& s) {
  if (s.minesKilled == s.mineCount) drawLevelMessage(s);
}

void nextLevelCommand(GameState& s) {
  if (s.messageText.empty()) return;  // not won yet
  s.levelIndex += 1;
  if (s.levelIndex == LEVEL_COUNT) s.finalVictory = 1;
  s.levelComplete = 1;
  s.keyText = "q";
}

void endOfLevel(GameContext& g) {
  GameState& s = g.state;
  if (s.shipLost == 1) gameOver(g);
  if (s.levelComplete == 1) warp(g);
  if (s.finalVictory == 1) {
    finalVictory(g);
    s.levelComplete = 0;
  }
}

}  // namespace kestal
