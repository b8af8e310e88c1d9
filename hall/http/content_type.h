#pragma once

#include <string_view>

namespace kestal::hall {

// "application/json", with at most a charset parameter, which must be UTF-8.
bool isJsonContentType(std::string_view value);

}  // namespace kestal::hall
