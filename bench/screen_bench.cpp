// Speed of the screen operations a frame of play leans on.
//   BM_StarFieldPlots:     16 000 plotPoint calls (erase and redraw 8000 stars) < 100 us
//   BM_ShowAndPresent:     showWorkPage + collectChanges + palette conversion    < 1 ms
//   BM_DrawCircleRadius8:  one mine ring                                          < 1 us
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "screen/screen.h"
#include "screen/screen_access.h"

namespace {

constexpr int STARS = 8000;

struct Star {
  double x, y, speed;
  int colour;
};

std::vector<Star> makeStars() {
  std::vector<Star> stars;
  stars.reserve(STARS);
  std::uint32_t seed = 12345;
  const auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int i = 0; i < STARS; ++i) {
    stars.push_back({static_cast<double>(next(640)), static_cast<double>(next(400)),
                     0.25 + next(100) / 25.0, 16 + next(16)});
  }
  return stars;
}

// The game draws on the hidden page 1 while page 0 is on display.
void openGameScreen() {
  kestal::openScreen();
  kestal::setPages(1, 0);
}

void BM_StarFieldPlots(benchmark::State& state) {
  openGameScreen();
  std::vector<Star> stars = makeStars();
  for (auto _ : state) {
    for (Star& star : stars) {
      kestal::plotPoint(star.x, star.y, 0);
      star.x -= star.speed;
      if (star.x < 0) star.x += 640;
      kestal::plotPoint(star.x, star.y, star.colour);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2 * STARS);
}
BENCHMARK(BM_StarFieldPlots);

void BM_ShowAndPresent(benchmark::State& state) {
  openGameScreen();
  for (int y = 0; y < kestal::SCREEN_HEIGHT; y += 3) kestal::drawLine(0, y, 639, y, y);
  auto frame = std::make_unique<kestal::PresentedFrame>();
  auto rgba = std::make_unique<std::array<std::uint32_t, kestal::PAGE_BYTES>>();
  std::array<std::uint32_t, 256> lookup{};
  for (auto _ : state) {
    kestal::showWorkPage();
    kestal::collectChanges(*frame);
    if (frame->paletteChanged) {
      for (std::size_t i = 0; i < lookup.size(); ++i) {
        const kestal::Rgb c = frame->palette[i];
        lookup[i] = 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
      }
    }
    for (std::size_t i = 0; i < frame->pixels.size(); ++i) (*rgba)[i] = lookup[frame->pixels[i]];
    benchmark::DoNotOptimize(rgba->data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ShowAndPresent);

void BM_DrawCircleRadius8(benchmark::State& state) {
  openGameScreen();
  int colour = 0;
  for (auto _ : state) {
    kestal::drawCircle(320.3, 200.7, 8, colour);
    colour = (colour + 1) & 0xFF;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawCircleRadius8);

}  // namespace
