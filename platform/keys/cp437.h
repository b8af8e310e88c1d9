// Characters typed on any platform arrive as UTF-8; the game's text is code page 437.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace kestal {

// The code page 437 byte of a Unicode character, or -1 where the code page has none.
// Control characters give -1: typed text never carries them, so their glyph meanings
// (smileys, card suits) must not turn into control codes.
int cp437FromUnicode(char32_t character);

// The code page 437 bytes of a UTF-8 text, in order; characters the code page lacks and
// malformed sequences are dropped. The result is bounded by the text's own length.
template <std::size_t Capacity>
struct Cp437Text {
  std::array<unsigned char, Capacity> bytes{};
  std::size_t size = 0;
};
// The most text one key event carries: SDL's text event and the browser's key field both
// hold 32 bytes.
inline constexpr std::size_t TYPED_TEXT_CAPACITY = 32;
Cp437Text<TYPED_TEXT_CAPACITY> cp437FromUtf8(std::string_view utf8);

}  // namespace kestal
