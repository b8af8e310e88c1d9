// The final victory's firework against its rule written plainly: every point in order through
// plotPoint. The page and the rows marked for the display must come out the same.
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>

#include "phase_fixture.h"
#include "screen/screen_access.h"

namespace kestal::testing {
namespace {

void plainFirework(double centreX, double centreY) {
  for (int k = 1; k <= 639; ++k) {
    for (int j = 1; j <= 399; ++j) {
      for (int i = 1; i <= 10; ++i) {
        plotPoint(std::cos(k) * j + centreX, std::sin(i) * j + centreY, i);
      }
    }
  }
}

struct Drawn {
  std::array<std::uint8_t, PAGE_BYTES> page;
  PresentedFrame frame;
};

// Draws on a page with a pattern on it (points overwrite, they never clear), as the work
// page or as the page on display.
template <typename Draw>
std::unique_ptr<Drawn> drawOnPattern(bool shown, Draw draw) {
  openScreen();
  setPages(shown ? 0 : 1, 0);
  for (int y = 0; y < SCREEN_HEIGHT; y += 9) drawLine(0, y, 639, y, 200 + y % 50);
  auto drawn = std::make_unique<Drawn>();
  collectChanges(drawn->frame);
  draw();
  collectChanges(drawn->frame);
  std::copy(workPagePixels().begin(), workPagePixels().end(), drawn->page.begin());
  return drawn;
}

class Firework : public PhaseTest {
 protected:
  void expectSameAsPlainLoop(double x, double y, bool shown) {
    SCOPED_TRACE(::testing::Message() << "centre " << x << ", " << y << (shown ? ", shown" : ""));
    s.burstCentreX = x;
    s.burstCentreY = y;
    const auto expected = drawOnPattern(shown, [&] { plainFirework(x, y); });
    const auto actual = drawOnPattern(shown, [&] { drawFirework(s); });
    EXPECT_TRUE(actual->page == expected->page);
    EXPECT_EQ(actual->frame.changedRows, expected->frame.changedRows);
    EXPECT_EQ(actual->frame.changedRows.any(), shown);
  }
};

TEST_F(Firework, SamePageAsThePlainLoopAtEveryKindOfCentre) {
  // Corners, middle, near each edge; and halves, which the game never uses, for the rounding.
  const std::pair<double, double> centres[] = {
      {0, 0},   {638, 398}, {638, 0}, {0, 398},   {319, 199},   {1, 200},
      {637, 3}, {320, 397}, {2, 1},   {636, 396}, {100.5, 0.5}, {-0.5, 398.5},
  };
  for (const auto& [x, y] : centres) expectSameAsPlainLoop(x, y, false);
}

TEST_F(Firework, OnThePageOnDisplayTheSameRowsAreMarked) {
  for (const auto& [x, y] :
       {std::pair{0.0, 0.0}, std::pair{319.0, 199.0}, std::pair{638.0, 398.0}}) {
    expectSameAsPlainLoop(x, y, true);
  }
}

}  // namespace
}  // namespace kestal::testing
