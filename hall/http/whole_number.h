#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestal::hall {

// Decimal digits only (no sign, no space), within int64; nullopt otherwise.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

}  // namespace kestal::hall
