#include "tests/e2e/game_colours.h"

#include <array>

namespace e2e {

namespace {

// A component's share k / 63 of the ramp step. `below` marks the shares whose double lies
// just under k / 63: where k * i is a whole multiple of 63 they give one less.
struct Share {
  int k;
  bool below;
};
using Ramp = std::array<Share, 3>;  // red, green, blue
constexpr Share STEP{63, false};    // the component is the ramp step itself

constexpr std::array<Ramp, 4> GAME_RAMPS{{
    {STEP, STEP, STEP},
    {{{24, true}, {12, false}, STEP}},
    {{{24, true}, STEP, {15, false}}},
    {{{56, true}, {34, true}, {19, false}}},
}};

constexpr std::array<Ramp, 4> PAUSE_RAMPS{{
    {{{31, true}, {31, true}, {31, true}}},
    {{{12, false}, {6, true}, {31, true}}},
    {{{12, false}, {32, true}, {7, true}}},
    {{{28, true}, {17, true}, {9, false}}},
}};

int sixBitComponent(Share share, int step) {
  const int product = share.k * step;
  const bool exactQuotient = product > 0 && product % 63 == 0;
  return product / 63 - (share.below && exactQuotient ? 1 : 0);
}

// 0..63 to what the display shows: floor(c * 255 / 63).
std::uint8_t eightBit(int component) {
  return static_cast<std::uint8_t>(component * 255 / 63);
}

Rgb colour(const std::array<Ramp, 4>& ramps, int entry) {
  const Ramp& ramp = ramps[static_cast<std::size_t>(entry / 64)];
  const int step = entry % 64;
  return {eightBit(sixBitComponent(ramp[0], step)), eightBit(sixBitComponent(ramp[1], step)),
          eightBit(sixBitComponent(ramp[2], step))};
}

}  // namespace

Rgb gamePaletteColour(int entry) {
  return colour(GAME_RAMPS, entry);
}

Rgb pausePaletteColour(int entry) {
  return colour(PAUSE_RAMPS, entry);
}

}  // namespace e2e
