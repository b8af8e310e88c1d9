#include "replay/display_trace.h"

#include <array>
#include <charconv>

#include "replay/fnv1a.h"
#include "screen/screen_access.h"

namespace kestal::replay {
namespace {

char* appendHex16(char* out, std::uint64_t value) {
  constexpr char HEX_DIGITS[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) *out++ = HEX_DIGITS[(value >> shift) & 0xF];
  return out;
}

}  // namespace

char* appendTraceLine(char* out, std::uint64_t retrace, std::uint64_t pageHash,
                      std::uint64_t paletteHash) {
  out = std::to_chars(out, out + 20, retrace).ptr;
  *out++ = ' ';
  out = appendHex16(out, pageHash);
  *out++ = ' ';
  out = appendHex16(out, paletteHash);
  *out++ = '\n';
  return out;
}

std::uint64_t visiblePageHash() {
  return fnv1a64(visiblePagePixels());
}

std::uint64_t displayPaletteHash() {
  std::array<std::uint8_t, 768> bytes;
  std::size_t i = 0;
  for (const Rgb& colour : displayPalette()) {
    bytes[i++] = colour.r;
    bytes[i++] = colour.g;
    bytes[i++] = colour.b;
  }
  return fnv1a64(bytes);
}

char* appendDisplayTraceLine(char* out, std::uint64_t retrace) {
  return appendTraceLine(out, retrace, visiblePageHash(), displayPaletteHash());
}

}  // namespace kestal::replay
