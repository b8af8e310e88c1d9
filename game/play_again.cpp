// "Play again? (Y/N)" over the instruction screen, shimmering until answered.
#include <cmath>

#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/numbers.h"
#include "screen/screen.h"

namespace kestal {

namespace {

constexpr double YES = 99;
constexpr double NO = -99;

void promptWave(const GameState& s, int x1, int x2, double base) {
  for (int x = x1; x <= x2; ++x) {
    for (int y = 0; y <= 15; ++y) {
      if (readPoint(x, y) > 0) {
        plotPoint(x, y, nint(20 * std::sin(y) * std::cos(s.wavePhase + x) + base));
      }
    }
  }
}

void promptPass(GameState& s) {
  waitRetrace();
  showWorkPage();
  promptWave(s, 0, 88, 100);   // "Play again?" in the blue-violet ramp
  promptWave(s, 96, 136, 43);  // "(Y/N)" in the grey ramp
  if (s.wavePhase >= 25) s.waveStep = -0.12;
  if (s.wavePhase <= 0) s.waveStep = 0.12;
  s.wavePhase += s.waveStep;
  s.keyText = readKey();
  if (s.keyText == "y" || s.keyText == "Y") s.playAgainAnswer = YES;
  if (s.keyText == "n" || s.keyText == "N" || s.keyText == KEY_ESCAPE) s.playAgainAnswer = NO;
}

}  // namespace

void playAgainPrompt(GameContext& g) {
  GameState& s = g.state;
  clearScreen();
  printText("Play again? (Y/N)", 0);
  drawInstructions(s);
  s.playAgainAnswer = 0;
  s.wavePhase = 0;
  s.waveStep = 0.12;
  g.sound.play(SoundSlot::Warp, false);
  while (s.playAgainAnswer == 0) promptPass(s);
}

}  // namespace kestal
