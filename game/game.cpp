// The main routine: start-up, the Delay prompt, then games until the player says no.
#include "game/game.h"

#include "game/game_context.h"
#include "game/phases.h"
#include "screen/program.h"

namespace kestal {

namespace {

constexpr double PLAY_AGAIN = 99;

// Room for the longest message up front, so that assigning it in a frame never allocates.
void reserveTexts(GameState& s) {
  s.messageText.reserve(32);
  s.delayText.reserve(16);
}

void playLevels(GameContext& g) {
  GameState& s = g.state;
  do {
    levelStart(g);
    frameLoop(g);
    s.keyText.clear();
    s.laserTimer = 0;
    g.sound.stop(SoundSlot::Laser);
    endOfLevel(g);
  } while (s.levelComplete == 1);
}

}  // namespace

void runGame(GameState& state, const Edition& edition, GameSound& sound, const RunSettings& run) {
  GameContext g{state, edition, sound, run};
  reserveTexts(state);
  startUp(g);
  delayPrompt(g);
  do {
    newGame(g);
    if (run.observer) run.observer->gameStarted(state);
    playLevels(g);
    if (run.observer) run.observer->gameEnded(state);
    playAgainPrompt(g);
  } while (state.playAgainAnswer == PLAY_AGAIN);
  sound.release();
  exitProgram(0);
}

}  // namespace kestal
