// The Delay prompt: the player types the busy-wait length while the title shimmers.
#include <cmath>
#include <cstdlib>

#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/numbers.h"
#include "screen/program.h"
#include "screen/screen.h"

namespace kestal {

namespace {

// Recolours every non-black pixel of the rectangle in a wave running along x.
void colourWave(const GameState& s, int x1, int x2, int y1, int y2, double base) {
  for (int x = x1; x <= x2; ++x) {
    for (int y = y1; y <= y2; ++y) {
      if (readPoint(x, y) >= 1) {
        plotPoint(x, y, nint(std::sin(y) * std::cos(s.wavePhase + x) * 20 + base));
      }
    }
  }
}

void stepWavePhase(GameState& s) {
  if (s.wavePhase >= 25) s.waveStep = -0.12;
  if (s.wavePhase <= 0) s.waveStep = 0.12;
  s.wavePhase += s.waveStep;
}

}  // namespace

void delayPromptWave(GameState& s) {
  colourWave(s, 0, 248, 0, 32, 100);     // title
  colourWave(s, 0, 152, 46, 62, 100);    // prompt
  colourWave(s, 160, 224, 46, 62, 163);  // typed number
  stepWavePhase(s);
}

namespace {

bool isDigitKey(const std::string& key) {
  return key >= "0" && key <= "9";
}

void acceptKey(GameState& s) {
  s.delayText += s.keyText;
  printText(s.keyText, 0);
}

void eraseLastCharacter(GameState& s) {
  s.delayText.pop_back();
  locate(cursorRow(), cursorColumn() - 1);
  printText(" ", 0);
  locate(cursorRow(), cursorColumn() - 1);
}

void handlePromptKey(GameContext& g) {
  GameState& s = g.state;
  const int typed = static_cast<int>(s.delayText.size());
  if (isDigitKey(s.keyText) && typed < DELAY_MAX_CHARS) acceptKey(s);
  if (s.keyText == "-" && s.delayText.empty()) acceptKey(s);
  if (s.keyText == KEY_BACKSPACE && !s.delayText.empty()) eraseLastCharacter(s);
  if (s.keyText == KEY_ESCAPE || s.keyText == "q" || s.keyText == KEY_CLOSE) {
    g.sound.release();
    exitProgram(0);
  }
}

// The tables exist from program start (zero) in this record; what is left is the ship's
// tail profile.
void createTables(GameState& s) {
  for (int i = 1; i <= 20; ++i) s.flameTable[i] = nint(std::abs(5 * std::cos(i)));
}

}  // namespace

void delayPrompt(GameContext& g) {
  GameState& s = g.state;
  locate(4, 21);
  s.keyText.clear();
  s.delayText.clear();
  while (s.keyText != KEY_ENTER) {
    delayPromptWave(s);
    s.keyText = readKey();
    handlePromptKey(g);
    waitRetrace();
    showWorkPage();
  }
  s.delayCount = parseNumber(s.delayText);
  if (s.delayCount < 0) setPaletteEntry(-1, -1, -1, -1);
  createTables(s);
  s.delayCount = std::abs(s.delayCount);
}

}  // namespace kestal
