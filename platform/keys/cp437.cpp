#include "platform/keys/cp437.h"

namespace kestal {
namespace {

// Unicode of the code page 437 bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> CP437_HIGH_HALF = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

constexpr char32_t INVALID = 0xFFFFFFFF;

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Decodes one character at `text` (before `end`), advancing it; INVALID (one byte consumed)
// for a malformed, overlong, surrogate or cut-off sequence.
char32_t nextCharacter(const unsigned char*& text, const unsigned char* end) {
  const unsigned char lead = *text++;
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    return INVALID;
  }
  const unsigned char* cursor = text;
  for (int i = 1; i < length; ++i) {
    if (cursor == end || !isContinuation(*cursor)) return INVALID;
    value = (value << 6) | (*cursor++ & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return INVALID;
  }
  text = cursor;
  return value;
}

}  // namespace

int cp437FromUnicode(char32_t character) {
  if (character >= 0x20 && character <= 0x7E) return static_cast<int>(character);
  if (character < 0xA0) return -1;  // controls, DEL and the C1 range
  for (std::size_t i = 0; i < CP437_HIGH_HALF.size(); ++i) {
    if (CP437_HIGH_HALF[i] == character) return static_cast<int>(0x80 + i);
  }
  return -1;
}

Cp437Text<TYPED_TEXT_CAPACITY> cp437FromUtf8(std::string_view utf8) {
  Cp437Text<TYPED_TEXT_CAPACITY> result;
  const auto* text = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = text + utf8.size();
  while (text != end && result.size < result.bytes.size()) {
    const int byte = cp437FromUnicode(nextCharacter(text, end));
    if (byte >= 0) result.bytes[result.size++] = static_cast<unsigned char>(byte);
  }
  return result;
}

}  // namespace kestal
