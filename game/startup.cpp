// From program start to the Delay prompt: the screen, the palette, the title block and
// the instruction screen, all drawn on the hidden work page.
#include <string>

#include "game/palettes.h"
#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/screen.h"

namespace kestal {

namespace {

constexpr int INSTRUCTION_TOP_ROW = 7;

std::string padded(std::string text) {
  text.resize(INSTRUCTION_WIDTH, ' ');
  return text;
}

// 0xE0, 0xE1 and 0xE2 show as alpha, beta and Gamma: they tie a key to its footnote.
void fillInstructionLines(GameState& s) {
  s.instructionLines = {
      padded("Easy Keys:"),
      padded(" Arrow Keys . Thrusters"),
      padded(" Space Bar  . Lasers \xE0"),
      padded(" Enter      . Charge Shields \xE0"),
      padded(" Backspace  . Go to the Next Level \xE1"),
      padded(" =          . Cool Engines \xE2"),
      padded(" p or Pause . Pause"),
      padded(" Escape     . Quits"),
      padded(""),
      padded("Hard Keys:"),
      padded(" Read the instructions..."),
      std::string(INSTRUCTION_WIDTH, '\xC4'),
      padded(" \xE0   ... Engines may overheat."),
      padded(" \xE1   ... All space mines must be dead."),
      padded(" \xE2   ... Drains shield energy"),
  };
}

double instructionBaseColour(int line, unsigned char c) {
  if (line == 0 || line == 9) return 50;  // headings
  if (line == 11) return 90;              // the rule
  return c > 127 ? 162 : 215;             // markers green, text amber
}

}  // namespace

// Every cell gets its own colour: each line is a gradient rising by one per column and
// falling by 1.75 per line.
void drawInstructions(GameState& s) {
  for (int j = 0; j < INSTRUCTION_LINES; ++j) {
    const std::string& line = s.instructionLines[j];
    for (int k = 1; k <= INSTRUCTION_WIDTH; ++k) {
      const unsigned char c = static_cast<unsigned char>(line[k - 1]);
      locate(INSTRUCTION_TOP_ROW + j, k);
      s.instrColourBase = instructionBaseColour(j, c);
      setTextColour(nint(k + s.instrColourBase - 1.75 * j));
      printText(std::string_view(&line[k - 1], 1), 0);
    }
  }
}

void startUp(GameContext& g) {
  GameState& s = g.state;
  s.hudOffset = 45;
  g.sound.play(SoundSlot::Warp, false);  // accompanies the start-up screen
  openScreen();
  setPointer(1, 1, 0);
  clearScreen();
  setPages(1, 0);
  installPalette(GamePalette::Game);
  printText("* K * E * S * T * A * L * 2 *", 1);
  printText(" (Written by the K2 team)", 1);
  printText("", 1);
  printText(g.edition.delayPrompt, 0);
  fillInstructionLines(s);
  drawInstructions(s);
}

}  // namespace kestal
