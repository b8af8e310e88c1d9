#include "hall/server/utf8.h"

#include <utility>

namespace kestal::hall {
namespace {

// Bytes of a sequence from its lead byte; 0 for a byte that cannot lead.
int sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code point starting at text[i] and its length in bytes.
std::optional<std::pair<char32_t, int>> decodeOne(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const int length = sequenceLength(lead);
  if (length == 0 || text.size() - i < static_cast<std::size_t>(length)) return std::nullopt;
  char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (overlong || surrogate || codePoint > 0x10FFFF) return std::nullopt;
  return std::pair{codePoint, length};
}

}  // namespace

std::optional<std::u32string> decodeUtf8(std::string_view text) {
  std::u32string codePoints;
  for (std::size_t i = 0; i < text.size();) {
    const auto next = decodeOne(text, i);
    if (!next) return std::nullopt;
    codePoints.push_back(next->first);
    i += next->second;
  }
  return codePoints;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto next = decodeOne(text, i);
    if (!next) return false;
    i += next->second;
  }
  return true;
}

std::string encodeUtf8(std::u32string_view codePoints) {
  std::string text;
  for (const char32_t c : codePoints) {
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if (c < 0x800) {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      text += static_cast<char>(0xE0 | (c >> 12));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (c >> 18));
      text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

}  // namespace kestal::hall
