// The warp between levels: a starburst, then three wipes to black. Its busy wait draws a
// random number per iteration, so each warp moves the random sequence on by the delay.
#include <cmath>

#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

void warpBusyWait(GameState& s) {
  volatile double& sink = s.delaySink;
  const double limit = s.delayCount;
  for (double i = 1; i <= limit; i += 1) sink = std::floor(randomUnit() * 100);
}

void showStep() {
  waitRetrace();
  showWorkPage();
}

void starburst(GameState& s) {
  for (int k = 1; k <= 200; ++k) {
    for (int j = 1; j <= 100; ++j) {
      drawLine(0, 0, 1.6 * j * std::cos(k) + 480, j * std::sin(k) + 300, nint(j + k));
    }
    if (k % 2 == 0) showStep();
    warpBusyWait(s);
  }
}

template <typename DrawStep>
void wipe(GameState& s, DrawStep drawStep) {
  for (int k = 0; k <= 639; ++k) {
    drawStep(static_cast<double>(k));
    if (k % 8 == 0) showStep();
    warpBusyWait(s);
  }
}

}  // namespace

void warp(GameContext& g) {
  GameState& s = g.state;
  g.sound.play(SoundSlot::Warp, true);
  starburst(s);
  wipe(s, [](double k) { drawLine(0, 200 * k / 639, k, 399, 0); });
  wipe(s, [](double k) { drawLine(k, 200 * k / 639, k, 399, 0); });
  wipe(s, [](double k) { drawLine(639, 399, 639 - k, 0, 0); });
  showStep();
  g.sound.stop(SoundSlot::Warp);
}

}  // namespace kestal
