// UTF-8 as the hall reads it from players: strict (no overlong forms, no surrogates, nothing
// past U+10FFFF).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestal::hall {

// The code points of `text`, or nullopt when it is not valid UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view text);

bool isValidUtf8(std::string_view text);

std::string encodeUtf8(std::u32string_view codePoints);

}  // namespace kestal::hall
