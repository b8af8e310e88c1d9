#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestal::hall {

// Decimal digits only (no sign, no blank), read as every reader of a key script reads them,
// within [low, high]; nullopt otherwise.
std::optional<std::int64_t> wholeNumberWithin(std::string_view text, std::int64_t low,
                                              std::int64_t high);

}  // namespace kestal::hall
