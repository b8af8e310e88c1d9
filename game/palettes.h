// The two palettes the game programs: four 64-step ramps each.
#pragma once

#include <cstdint>

namespace kestal {

enum class GamePalette { Game, Pause };

// Packed value 65536 * blue + 256 * green + red (components 0..63) of an entry.
std::int64_t paletteValue(GamePalette palette, int entry);
// Sets the four entries of ramp step i (i, 64 + i, 128 + i, 192 + i), in that order.
void installPaletteStep(GamePalette palette, int i);
// The whole palette, step by step.
void installPalette(GamePalette palette);

}  // namespace kestal
