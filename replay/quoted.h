// How error messages show a value the user gave.
#pragma once

#include <string>
#include <string_view>

namespace kestal::replay {

// In quotes, cut short when long so that a message stays one readable line.
inline std::string quoted(std::string_view text) {
  constexpr std::size_t SHOWN = 80;
  if (text.size() <= SHOWN) return "'" + std::string(text) + "'";
  return "'" + std::string(text.substr(0, SHOWN)) + "...'";
}

}  // namespace kestal::replay
