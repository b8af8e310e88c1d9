// The play field: border, mines, bursts, stars and the ship. Moving things are erased by
// drawing them again in colour 0 where they were; nothing clears the page during play.
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/phases.h"
#include "screen/numbers.h"
#include "screen/pixel_plotter.h"
#include "screen/random.h"
#include "screen/screen.h"

namespace kestal {

namespace {

constexpr double WALL_X = 578;  // where the laser fan converges

bool insidePlayField(double x, double y) {
  return 60 < x && x < 578 && 25 < y && y < 373;
}

void drawMineRings(double x, double y, std::int32_t h) {
  drawCircle(x, y, 8, nint(0.65 * h + 20));
  drawCircle(x, y, 7, nint(0.7 * h + 20));
  drawCircle(x, y, 6, nint(1.8 * h + 64));
  drawCircle(x, y, 5, 2 * h + 64);
  drawCircle(x, y, 4, nint(1.7 * h + 64));
  drawCircle(x, y, 3, nint(1.5 * h + 64));
  drawCircle(x, y, 2, nint(1.4 * h + 64));
  drawCircle(x, y, 1, nint(1.35 * h + 64));
}

void drawHullAndExhaust(const GameState& s) {
  for (int i = 1; i <= 20; ++i) {
    const double tailY = s.shipY + i - 10;
    drawLine(s.shipX + 10, s.shipY, s.shipX + s.flameTable[i] - 10, tailY,
             nint(2 * std::abs(i - 5) + 200));
    plotPoint(s.shipX + s.flameTable[i] - 11, tailY, nint(3 * std::abs(i - 10) + s.pulse + 24));
    plotPoint(s.shipX + s.flameTable[i] - 12, tailY, nint(2 * i + s.pulse + 114));
    plotPoint(s.shipX + s.flameTable[i] - 13, tailY, nint(2 * i + s.pulse + 84));
  }
}

// laserTimer + 1 lines converging on the wall; hotter engines flicker more.
void drawLaserFan(GameState& s) {
  if (s.laserTimer <= 0) return;
  const double from = -0.5 * s.laserTimer;
  const double to = 0.5 * s.laserTimer;
  for (double i = from; i <= to; i += 1) {
    drawLine(s.shipX, s.shipY + i, WALL_X, s.shipY,
             nint(1.5 * i + std::floor(randomUnit() * s.engineHeat) + s.pulse + 73));
  }
  s.laserTimer -= 1;
}

void drawCockpit(const GameState& s) {
  struct Pixel {
    int dx, dy, colour;
  };
  static constexpr Pixel COCKPIT[] = {{0, 0, 210},  {-1, -1, 220}, {-1, 0, 230}, {-1, 1, 240},
                                      {-2, 0, 250}, {1, -1, 190},  {1, 0, 180},  {1, 1, 170},
                                      {2, 0, 160},  {0, -1, 150},  {0, 1, 140},  {0, -2, 130},
                                      {0, 2, 120}};
  for (const Pixel& p : COCKPIT) plotPoint(s.shipX + p.dx, s.shipY + p.dy, p.colour);
}

// The ring breathes with pulse but never grows beyond 10.
void drawShieldRing(GameState& s) {
  s.shieldRadius = s.shieldEnergy * s.pulse * 0.0025 + 1;
  while (s.shieldRadius > 10) s.shieldRadius -= 1;
  drawCircle(s.shipX - 2, s.shipY, s.shieldRadius, nint(5 * s.pulse));
}

void stopLaserWhenSpent(GameContext& g) {
  if (g.state.laserTimer == 0) {
    g.state.laserTimer = -1;
    g.sound.stop(SoundSlot::Laser);
  }
}

}  // namespace

void drawPlayfieldBorder() {
  for (int i = 0; i <= 24; ++i) {
    drawLine(59 - i, 24 - i, 579 + i, 374 + i, nint(64 - std::abs(63 * std::cos(i / 10.0 + 20))),
             LineKind::Box);
  }
}

void redrawMine(GameState& s, int m) {
  if (picturesKept()) {
    for (int radius = 8; radius >= 1; --radius) {
      drawCircle(s.minePrevX[m], s.minePrevY[m], radius, 0);
    }
    drawMineRings(s.mineX[m], s.mineY[m], s.mineHealth[m]);
  }
  s.minePrevX[m] = s.mineX[m];
  s.minePrevY[m] = s.mineY[m];
}

// Particles outside the play field draw no random colour, so they consume no numbers.
void animateBurst(GameState& s, int m) {
  const double count = s.burstCount[m];
  auto& x = s.burstX[m];
  auto& y = s.burstY[m];
  const auto& vx = s.burstVx[m];
  const auto& vy = s.burstVy[m];
  for (int p = 1; p <= count; ++p) {
    const double oldX = x[p] - vx[p];
    const double oldY = y[p] - vy[p];
    if (insidePlayField(oldX, oldY)) plotPoint(oldX, oldY, 0);
    if (insidePlayField(x[p], y[p])) plotPoint(x[p], y[p], floorToInt(randomUnit() * 255));
    x[p] += vx[p];
    y[p] += vy[p];
  }
  if (s.burstCount[m] > 10) s.burstCount[m] -= 1;
}

void animateDebris(GameState& s) {
  for (int n = 1; n <= DEBRIS_COUNT; ++n) {
    const double oldX = s.debrisX[n] - s.debrisVx[n];
    const double oldY = s.debrisY[n] - s.debrisVy[n];
    if (insidePlayField(oldX, oldY)) plotPoint(oldX, oldY, 0);
    if (insidePlayField(s.debrisX[n], s.debrisY[n])) {
      plotPoint(s.debrisX[n], s.debrisY[n], floorToInt(randomUnit() * 255));
    }
    s.debrisX[n] += s.debrisVx[n];
    s.debrisY[n] += s.debrisVy[n];
  }
}

// Two stars at a time, the wrap an addition that always happens: of 1000 to a star that went
// below 0, of -0 (which changes no double, -0 included) to the others. What a verification
// spends most of its time on.
void scrollStars(GameState& s) {
  using Pair = double __attribute__((vector_size(16)));
  using PairBits = std::int64_t __attribute__((vector_size(16)));
  static_assert(STAR_COUNT % 2 == 0);
  const PairBits wrap = __builtin_bit_cast(PairBits, Pair{1000.0, 1000.0});
  const PairBits noWrap = __builtin_bit_cast(PairBits, Pair{-0.0, -0.0});
  for (int i = 1; i <= STAR_COUNT; i += 2) {
    Pair x, speed;
    std::memcpy(&x, &s.starX[i], sizeof x);
    std::memcpy(&speed, &s.starSpeed[i], sizeof speed);
    x -= speed;
    const PairBits wrapped = x < 0;
    x += __builtin_bit_cast(Pair, (wrap & wrapped) | (noWrap & ~wrapped));
    std::memcpy(&s.starX[i], &x, sizeof x);
  }
}

// Stars scroll left through a 1000-pixel band of which 60..578 shows. Without pictures only
// the scrolling is left.
void drawStarField(GameState& s) {
  if (!picturesKept()) {
    scrollStars(s);
    return;
  }
  // Whether a star is in view is a coin toss, which a branch per star would mispredict half
  // the time. So the stars are scrolled first, noting without a branch which ones have a point
  // to plot, and then those alone are plotted, in the same order: each star's points depend
  // on nothing but its own values, so the page comes out the same.
  constexpr int WORD_BITS = 64;
  std::array<std::uint64_t, STAR_COUNT / WORD_BITS + 1> inView{};
  std::uint64_t word = 0;
  for (int i = 1; i <= STAR_COUNT; ++i) {
    s.starX[i] -= s.starSpeed[i];
    if (s.starX[i] < 0) s.starX[i] += 1000;
    const double x = s.starX[i];
    const double oldX = x + s.starSpeed[i];
    const bool shown = ((60 < oldX) & (oldX < 578)) | ((60 < x) & (x < 578));
    word |= std::uint64_t{shown} << (i % WORD_BITS);
    if (i % WORD_BITS == WORD_BITS - 1 || i == STAR_COUNT) {
      inView[static_cast<std::size_t>(i / WORD_BITS)] = word;
      word = 0;
    }
  }
  PixelPlotter plotter;
  for (std::size_t w = 0; w < inView.size(); ++w) {
    for (std::uint64_t bits = inView[w]; bits != 0; bits &= bits - 1) {
      const int i = static_cast<int>(w) * WORD_BITS + std::countr_zero(bits);
      const double speed = s.starSpeed[i];
      const double x = s.starX[i];
      const double oldX = x + speed;
      const int row = pixelRow(s.starY[i]);
      if (60 < oldX && oldX < 578) plotter.plot(pixelColumn(oldX), row, 0);
      if (60 < x && x < 578) plotter.plot(pixelColumn(x), row, nint(10 * speed));
    }
  }
}

void eraseShipHull(const GameState& s) {
  for (int i = 1; i <= 20; ++i) {
    const double tailY = s.shipPrevY + i - 10;
    drawLine(s.shipPrevX + 10, s.shipPrevY, s.shipPrevX + s.flameTable[i] - 10, tailY, 0);
    plotPoint(s.shipPrevX + s.flameTable[i] - 11, tailY, 0);
    plotPoint(s.shipPrevX + s.flameTable[i] - 12, tailY, 0);
    plotPoint(s.shipPrevX + s.flameTable[i] - 13, tailY, 0);
  }
}

// Uses the current timer, which a shot of this frame may have raised: the erased fan is
// never narrower than the one drawn last frame.
void eraseLaserFan(const GameState& s) {
  if (!(s.laserTimer + 1 > 0)) return;
  const double half = 0.5 * s.laserTimer + 0.5;
  for (double i = -half; i <= half; i += 1) {
    drawLine(s.shipPrevX, s.shipPrevY + i, WALL_X, s.shipPrevY, 0);
  }
}

void redrawShip(GameContext& g) {
  GameState& s = g.state;
  eraseShipHull(s);
  eraseLaserFan(s);
  stopLaserWhenSpent(g);
  drawCircle(s.shipPrevX - 2, s.shipPrevY, s.shieldRadius, 0);
  drawHullAndExhaust(s);
  drawLaserFan(s);
  drawCockpit(s);
  drawShieldRing(s);
  s.shipPrevX = s.shipX;
  s.shipPrevY = s.shipY;
}

}  // namespace kestal
