#include "hall/server/whole_number.h"

#include "replay/whole_number.h"

namespace kestal::hall {

std::optional<std::int64_t> wholeNumberWithin(std::string_view text, std::int64_t low,
                                              std::int64_t high) {
  const replay::WholeNumber number = replay::parseWholeNumber(text);
  if (number.status != replay::WholeNumberStatus::Ok || high < 0) return std::nullopt;
  if (number.value > static_cast<std::uint64_t>(high)) return std::nullopt;
  const auto value = static_cast<std::int64_t>(number.value);
  if (value < low) return std::nullopt;
  return value;
}

}  // namespace kestal::hall
