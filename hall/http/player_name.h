// The name a player gives with an entry: kept exactly as given once white space around it is
// trimmed, whatever it looks like (markup, quotes, SQL are only text), within a few rules.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace kestal::hall {

inline constexpr std::size_t kMaxNameCodePoints = 24;

struct NameError {
  std::string sentence;
};

// The trimmed name, or which rule it breaks.
std::variant<std::string, NameError> checkPlayerName(std::string_view given);

}  // namespace kestal::hall
