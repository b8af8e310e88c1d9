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

// Points off the screen are dropped by the screen anyway; skipping those that are surely
// off (a pixel's margin beyond any rounding) before the call keeps 2.55 million points
// within a frame.
bool surelyOff(double v, double size) {
  return v < -2 || v > size + 1;
}

void firework(const GameState& s) {
  std::array<double, 11> sine{};
  for (int i = 1; i <= 10; ++i) sine[i] = std::sin(i);
  for (int k = 1; k <= 639; ++k) {
    const double cosine = std::cos(k);
    for (int j = 1; j <= 399; ++j) {
      const double x = cosine * j + s.burstCentreX;
      if (surelyOff(x, SCREEN_WIDTH)) continue;
      for (int i = 1; i <= 10; ++i) {
        const double y = sine[i] * j + s.burstCentreY;
        if (!surelyOff(y, SCREEN_HEIGHT)) plotPoint(x, y, i);
      }
    }
  }
}

}  // namespace

void finalVictoryPass(GameState& s) {
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

void finalVictory(GameContext& g) {
  do {
    finalVictoryPass(g.state);
  } while (readKey() != "q");  // only the small q ends it; the key is not kept
}

}  // namespace kestal
