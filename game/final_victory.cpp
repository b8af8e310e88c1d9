// After the eleventh level: fireworks of 2.55 million points and scrolling cheers until
// the player types "q".
#include <array>
#include <cmath>
#include <cstdint>

#include "game/phases.h"
#include "screen/keyboard.h"
#include "screen/numbers.h"
#include "screen/pixel_plotter.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

// Point (k, j, i) lies at x = cos(k) * j + centre x, y = sin(i) * j + centre y, in colour i.
// Its y does not depend on k nor its x on i, so each is rounded to its pixel (the way
// plotPoint rounds) once, ahead, instead of once per point: the same double operations and
// the same pixels. The points are still plotted k, then j, then i, so later ones overwrite
// earlier ones as they always did.
void drawFirework(const GameState& s) {
  std::array<double, 11> sine{};
  for (int i = 1; i <= 10; ++i) sine[i] = std::sin(i);
  std::array<std::array<std::int32_t, 11>, 400> rowStarts{};  // [j][i]; -1 off the screen
  for (int j = 1; j <= 399; ++j) {
    for (int i = 1; i <= 10; ++i) {
      rowStarts[j][i] = PixelPlotter::rowStart(pixelRow(sine[i] * j + s.burstCentreY));
    }
  }
  PixelPlotter plotter;
  for (int k = 1; k <= 639; ++k) {
    const double cosine = std::cos(k);
    for (int j = 1; j <= 399; ++j) {
      const int column = pixelColumn(cosine * j + s.burstCentreX);
      if (column < 0) continue;
      for (int i = 1; i <= 10; ++i) plotter.plotAt(rowStarts[j][i], column, i);
    }
  }
}

void finalVictoryPass(GameState& s) {
  setTextColour(floorToInt(randomUnit() * 255));
  printText("Ultimate Victory!", 1);
  s.burstCentreX = std::floor(randomUnit() * 639);
  s.burstCentreY = std::floor(randomUnit() * 399);
  if (picturesKept()) drawFirework(s);
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
