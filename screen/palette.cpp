// The default palette and palette programming.
#include <array>

#include "screen/screen_state.h"

namespace kestal {
namespace {

constexpr Rgb grey(std::uint8_t level) {
  return Rgb{level, level, level};
}

// Nine blocks of 24 entries walk a hue circle from blue through magenta, red, yellow,
// green and cyan back towards blue, each at five brightness levels of its own.
constexpr std::array<std::array<std::uint8_t, 3>, 24> HUE_PATTERN{{
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3}, {4, 0, 2}, {4, 0, 1},
    {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0}, {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0},
    {0, 4, 0}, {0, 4, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4},
}};

constexpr std::array<std::array<std::uint8_t, 5>, 9> HUE_BLOCK_LEVELS{{
    {0, 64, 125, 190, 255},
    {125, 157, 190, 222, 255},
    {182, 198, 218, 234, 255},
    {0, 28, 56, 85, 113},
    {56, 68, 85, 97, 113},
    {80, 89, 97, 105, 113},
    {0, 16, 32, 48, 64},
    {32, 40, 48, 56, 64},
    {44, 48, 52, 60, 64},
}};

constexpr std::array<Rgb, 16> TEXT_COLOURS{{
    {0, 0, 0},
    {0, 0, 170},
    {0, 170, 0},
    {0, 170, 170},
    {170, 0, 0},
    {170, 0, 170},
    {170, 85, 0},
    {170, 170, 170},
    {85, 85, 85},
    {85, 85, 255},
    {85, 255, 85},
    {85, 255, 255},
    {255, 85, 85},
    {255, 85, 255},
    {255, 255, 85},
    {255, 255, 255},
}};

constexpr std::array<std::uint8_t, 16> GREY_RAMP{0,   20,  32,  44,  56,  68,  80,  97,
                                                 113, 129, 145, 161, 182, 202, 226, 255};

constexpr Palette makeDefaultPalette() {
  Palette palette{};  // entries 248..255 stay black
  for (std::size_t i = 0; i < 16; ++i) {
    palette[i] = TEXT_COLOURS[i];
    palette[16 + i] = grey(GREY_RAMP[i]);
  }
  for (std::size_t block = 0; block < HUE_BLOCK_LEVELS.size(); ++block) {
    const auto& levels = HUE_BLOCK_LEVELS[block];
    for (std::size_t k = 0; k < HUE_PATTERN.size(); ++k) {
      const auto& pick = HUE_PATTERN[k];
      palette[32 + 24 * block + k] = Rgb{levels[pick[0]], levels[pick[1]], levels[pick[2]]};
    }
  }
  return palette;
}

// A 6-bit component as the display shows it: 63 -> 255, 32 -> 129.
constexpr std::uint8_t widenComponent(std::int64_t sixBits) {
  return static_cast<std::uint8_t>(sixBits * 255 / 63);
}

}  // namespace

constinit const Palette DEFAULT_PALETTE = makeDefaultPalette();

void setPaletteEntry(int index, std::int64_t value, int unused1, int unused2) {
  auto& s = detail::screenState();
  if (index == -1 && value == -1 && unused1 == -1 && unused2 == -1) {
    std::lock_guard lock(screenLock());
    s.palette = DEFAULT_PALETTE;
    s.paletteChanged = true;
    return;
  }
  if (index < 0 || index > 255) return;
  // Arithmetic shifts and masks give floor division and a non-negative remainder.
  const Rgb colour{widenComponent(value & 63), widenComponent((value >> 8) & 63),
                   widenComponent((value >> 16) & 63)};
  std::lock_guard lock(screenLock());
  s.palette[static_cast<std::size_t>(index)] = colour;
  s.paletteChanged = true;
}

}  // namespace kestal
