// The colours of the game's two palettes as a display shows them, worked out from the
// palette's definition (four 64-step ramps, components k * i / 63 of 63) rather than taken
// from the game.
#pragma once

#include "tests/e2e/rgb_image.h"

namespace e2e {

Rgb gamePaletteColour(int entry);
Rgb pausePaletteColour(int entry);

}  // namespace e2e
