// The game's phases, called in a fixed order by the loops. Each works on the one state.
#pragma once

#include "game/game_context.h"

namespace kestal {

// Start-up screens and the Delay prompt.
void startUp(GameContext& g);
void drawInstructions(GameState& s);
void delayPrompt(GameContext& g);
void delayPromptWave(GameState& s);

// The loops.
void frameLoop(GameContext& g);
void runFrame(GameContext& g);
void busyWait(GameContext& g);
bool quitRequested(const GameState& s);
void stepPulse(GameState& s);
void stepColourPulse(GameState& s);

// Flight.
void driftShip(GameState& s);
void applyFlightCommand(GameContext& g);
void chargeShields(GameContext& g);
void coolEngines(GameContext& g);
void bounceShip(GameState& s);
void heatBookkeeping(GameContext& g);

// Mines and weapons.
void spawnMines(GameState& s);
void updateMines(GameContext& g, bool inPlay);
void fireLaser(GameContext& g);
void laserTest(GameContext& g, int m);

// Levels.
void newGame(GameContext& g);
void levelStart(GameContext& g);
void victoryTest(GameState& s);
void nextLevelCommand(GameState& s);
void endOfLevel(GameContext& g);

// Drawing.
void drawPlayfieldBorder();
void redrawMine(GameState& s, int m);
void animateBurst(GameState& s, int m);
void drawStarField(GameState& s);
void drawMessageGhost(GameState& s);
void animateDebris(GameState& s);
void drawLevelMessage(GameState& s);
void drawGameOverMessage(GameState& s);
void eraseShipHull(const GameState& s);
void eraseLaserFan(const GameState& s);
void redrawShip(GameContext& g);
void drawHeatGauge(const GameState& s, double factor);
void drawShieldGauge(GameState& s);
void slideShieldGauge(GameState& s);
void drawStatusText(const GameState& s, bool gameOver);

// End screens.
void gameOver(GameContext& g);
void warp(GameContext& g);
void finalVictory(GameContext& g);
void finalVictoryPass(GameState& s);
void drawFirework(const GameState& s);  // around burstCentreX, burstCentreY
void playAgainPrompt(GameContext& g);

}  // namespace kestal
