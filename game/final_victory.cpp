// After the eleventh level: fireworks of 2.55 million points and scrolling cheers until
// the player types "q".
#include <array>
#include <cmath>

#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

void firework(const GameState& s) {
  std::array<double, 11> sine{};
  for (int i = 1; i <= 10; ++i) sine[i] = std::sin(i);
  for (int k = 1; k <= 639; ++k) {
    const double cosine = std::cos(k);
    for (int j = 1; j <= 399; ++j) {
      const double x = cosine * j + s.burstCentreX;
      for (int i = 1; i <= 10; ++i) plotPoint(x, sine[i] * j + s.burstCentreY, i);
    }
  }
}

void victoryPass(GameState& s) {
  setTextColour(floorToInt(randomUnit() * 255));
  printText("Ultimate Victory!", 1);
  s.burstCentreX = std::floor(randomUnit() * 639);
  s.burstCentreY = std::floor(randomUnit() * 399);
  firework(s);
  setTextColour(floorToInt(randomUnit() * 255));
  printText("$$$", 1);
  waitRetrace();
  showWorkPage();
}

}  // namespace

void finalVictory(GameContext& g) {
  do {
    victoryPass(g.state);
  } while (readKey() != "q");  // only the small q ends it; the key is not kept
}

}  // namespace kestal
