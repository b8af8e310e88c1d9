// What a display back end may read of the screen state, and how it learns what changed.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <mutex>
#include <span>

#include "screen/screen.h"

namespace kestal {

struct Rgb {
  std::uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
using Palette = std::array<Rgb, 256>;

// The palette the display starts with and that setPaletteEntry(-1, -1, -1, -1) restores.
extern const Palette DEFAULT_PALETTE;

// Guards page memory, palette, row-change marks and key queue. Every screen operation holds
// it for its whole duration; a presenting thread holds it while it copies.
std::mutex& screenLock();

// What the display must show: the rows of the visible page that changed since the last
// collection, and the palette if it changed.
struct PresentedFrame {
  std::array<std::uint8_t, PAGE_BYTES> pixels{};
  Palette palette{};
  std::bitset<SCREEN_HEIGHT> changedRows;
  bool paletteChanged = false;
};
// Takes the screen lock, copies the changed rows and (if changed) the palette into `frame`,
// sets its change marks and clears the screen's own. Returns whether anything changed.
bool collectChanges(PresentedFrame& frame);

// Direct views for a back end on the game thread (the headless one): the visible page and
// the palette as the display shows them (8-bit components).
std::span<const std::uint8_t, PAGE_BYTES> visiblePagePixels();
const Palette& displayPalette();

// Test support: the page the game draws on, and the text cursor's pending scroll.
std::span<const std::uint8_t, PAGE_BYTES> workPagePixels();
bool pendingScroll();

}  // namespace kestal
