#include "hall/http/player_name.h"

#include <algorithm>

#include "hall/server/utf8.h"

namespace kestal::hall {
namespace {

// Unicode's White_Space property.
bool isWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// C0, DEL and C1.
bool isControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::variant<std::string, NameError> checkPlayerName(std::string_view given) {
  const auto decoded = decodeUtf8(given);
  if (!decoded) return NameError{"The name is not valid UTF-8 text."};
  std::u32string_view name = *decoded;
  while (!name.empty() && isWhiteSpace(name.front())) name.remove_prefix(1);
  while (!name.empty() && isWhiteSpace(name.back())) name.remove_suffix(1);
  if (name.empty()) return NameError{"Please give a name for the hall of fame."};
  if (name.size() > kMaxNameCodePoints) {
    return NameError{"A name may have at most 24 characters."};
  }
  if (std::any_of(name.begin(), name.end(), isControl)) {
    return NameError{"A name may not contain control characters."};
  }
  return encodeUtf8(name);
}

}  // namespace kestal::hall
