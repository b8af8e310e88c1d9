#include "game/palettes.h"

#include <array>

#include "screen/screen.h"

namespace kestal {

namespace {

// A component is floor(i * k / 63). The original held k/63 as a double just below the
// true ratio for the ratios marked `lowered`, so where i * k is a whole multiple of 63
// those come out one lower than the exact quotient (entry 127 has red 23, not 24).
struct Ratio {
  int k;
  bool lowered;
};
constexpr Ratio FULL{63, false};  // the ramp's own step i

struct Ramp {
  Ratio red, green, blue;
};

constexpr std::array<Ramp, 4> GAME_RAMPS = {{
    {FULL, FULL, FULL},
    {{24, true}, {12, false}, FULL},
    {{24, true}, FULL, {15, false}},
    {{56, true}, {34, true}, {19, false}},
}};
constexpr std::array<Ramp, 4> PAUSE_RAMPS = {{
    {{31, true}, {31, true}, {31, true}},
    {{12, false}, {6, true}, {31, true}},
    {{12, false}, {32, true}, {7, true}},
    {{28, true}, {17, true}, {9, false}},
}};

std::int64_t component(int i, Ratio ratio) {
  if (ratio.k == 63) return i;
  const int product = i * ratio.k;
  const int quotient = product / 63;
  return (ratio.lowered && i > 0 && product % 63 == 0) ? quotient - 1 : quotient;
}

}  // namespace

std::int64_t paletteValue(GamePalette palette, int entry) {
  const auto& ramps = palette == GamePalette::Game ? GAME_RAMPS : PAUSE_RAMPS;
  const Ramp& ramp = ramps[static_cast<std::size_t>(entry / 64) % ramps.size()];
  const int i = entry % 64;
  const std::int64_t high = component(i, ramp.blue);
  const std::int64_t mid = component(i, ramp.green);
  const std::int64_t low = component(i, ramp.red);
  return 65536 * high + 256 * mid + low;
}

void installPaletteStep(GamePalette palette, int i) {
  for (int ramp = 0; ramp < 4; ++ramp) {
    const int entry = 64 * ramp + i;
    setPaletteEntry(entry, paletteValue(palette, entry));
  }
}

void installPalette(GamePalette palette) {
  for (int i = 0; i <= 63; ++i) installPaletteStep(palette, i);
}

}  // namespace kestal
