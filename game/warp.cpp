// The warp between levels: a starburst, then three wipes to black. Its busy wait draws a
// random number per iteration, so each warp moves the random sequence on by the delay.
#include <cmath>
#include <cstdint>

#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

// The loop's iterations: none below 1, otherwise the whole part of the delay (at most eight
// typed digits, so far below where a double stops counting by ones).
std::uint64_t warpBusyWaitDraws(double limit) {
  if (!(limit >= 1) || limit > 1e15) return 0;
  return static_cast<std::uint64_t>(std::floor(limit));
}

void warpBusyWait(GameContext& g) {
  GameState& s = g.state;
  if (!g.run.busyWaits) {
    skipRandomDraws(warpBusyWaitDraws(s.delayCount));
    return;
  }
  volatile double& sink = s.delaySink;
  const double limit = s.delayCount;
  for (double i = 1; i <= limit; i += 1) sink = std::floor(randomUnit() * 100);
}

void showStep() {
  waitRetrace();
  showWorkPage();
}

void drawRays(int k) {
  for (int j = 1; j <= 100; ++j) {
    drawLine(0, 0, 1.6 * j * std::cos(k) + 480, j * std::sin(k) + 300, nint(j + k));
  }
}

void starburst(GameContext& g) {
  const bool drawing = picturesKept();
  for (int k = 1; k <= 200; ++k) {
    if (drawing) drawRays(k);
    if (k % 2 == 0) showStep();
    warpBusyWait(g);
  }
}

template <typename DrawStep>
void wipe(GameContext& g, DrawStep drawStep) {
  for (int k = 0; k <= 639; ++k) {
    drawStep(static_cast<double>(k));
    if (k % 8 == 0) showStep();
    warpBusyWait(g);
  }
}

}  // namespace

void warp(GameContext& g) {
  g.sound.play(SoundSlot::Warp, true);
  starburst(g);
  wipe(g, [](double k) { drawLine(0, 200 * k / 639, k, 399, 0); });
  wipe(g, [](double k) { drawLine(k, 200 * k / 639, k, 399, 0); });
  wipe(g, [](double k) { drawLine(639, 399, 639 - k, 0, 0); });
  showStep();
  g.sound.stop(SoundSlot::Warp);
}

}  // namespace kestal
