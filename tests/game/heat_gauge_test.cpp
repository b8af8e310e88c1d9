// The heat gauge against its rule written plainly: four lines a column, the first one whole.
// The page must come out the same for every heat, however extreme.
#include <cmath>
#include <limits>
#include <vector>

#include "phase_fixture.h"
#include "screen/screen_access.h"

namespace kestal::testing {
namespace {

void plainHeatGauge(double h, double factor) {
  drawLine(0, 0, 34, 399 - 6 * h, 0, LineKind::FilledBox);
  for (int i = 1; i <= 34; ++i) {
    const double wave = std::cos(i / 10.0);
    auto colour = [&](double k) { return nint(std::abs(wave * k) * h * factor); };
    drawLine(i, 399 - 6 * h, i, 399, colour(2));
    drawLine(i, 399 - 5.8 * h, 34 - i, 399, colour(2.1));
    drawLine(i, 399 - 5.6 * h, i, 399, colour(2.2));
    drawLine(34 - i, 399 - 5.4 * h, i, 399, colour(2.3));
  }
}

// The margin after the gauge, drawn over a pattern (the flame never clears its own column).
template <typename Draw>
std::vector<std::uint8_t> drawnOverPattern(Draw draw) {
  openScreen();
  setPages(1, 0);
  for (int y = 0; y < SCREEN_HEIGHT; y += 7) drawLine(0, y, 40, y, 100 + y % 90);
  draw();
  const auto page = workPagePixels();
  return std::vector<std::uint8_t>(page.begin(), page.end());
}

using HeatGauge = PhaseTest;

TEST_F(HeatGauge, SamePageAsThePlainRuleAtEveryHeat) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  // Cold, warm, at the loss limit, past the top of the screen, rounding halves and the rows
  // where a line's top just leaves the screen, cooled below zero, and nonsense.
  const double heats[] = {
      0,    0.5,  1,         20,        20.3, 44.25, 63,
      63.5, 66.5, 66.6,      70,        1e9,  -0.5,  -1,
      -200, -1e9, 399.5 / 6, 400.0 / 6, INF,  -INF,  std::numeric_limits<double>::quiet_NaN()};
  for (const double h : heats) {
    for (const double factor : {0.35, 0.5}) {
      SCOPED_TRACE(::testing::Message() << "heat " << h << ", factor " << factor);
      s.engineHeat = h;
      EXPECT_TRUE(drawnOverPattern([&] { drawHeatGauge(s, factor); }) ==
                  drawnOverPattern([&] { plainHeatGauge(h, factor); }));
    }
  }
}

}  // namespace
}  // namespace kestal::testing
