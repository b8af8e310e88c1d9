// What the display shows at a vertical blank, as a trace line: the retrace and FNV-1a 64
// fingerprints of the visible page (its 256 000 palette indices, row by row from the top)
// and of the palette (768 bytes red, green, blue in 8-bit form). The replay tool writes
// these lines, and the browser back end can keep them while a game is played live.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestal::replay {

inline constexpr std::size_t TRACE_LINE_MAX_CHARS = 64;

// "<retrace> <page-hash> <palette-hash>\n", hashes as 16 lower-case hex digits.
char* appendTraceLine(char* out, std::uint64_t retrace, std::uint64_t pageHash,
                      std::uint64_t paletteHash);

std::uint64_t visiblePageHash();
std::uint64_t displayPaletteHash();

// The trace line of what the display shows now.
char* appendDisplayTraceLine(char* out, std::uint64_t retrace);

}  // namespace kestal::replay
