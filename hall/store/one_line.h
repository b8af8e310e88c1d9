// Database libraries report over several lines; a StoreError is one.
#pragma once

#include <string>
#include <string_view>

namespace kestal::hall {

// The non-empty lines of `text`, trimmed, joined by "; ".
std::string oneLine(std::string_view text);

}  // namespace kestal::hall
