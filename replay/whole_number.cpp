#include "replay/whole_number.h"

#include <charconv>
#include <system_error>

namespace kestal::replay {

WholeNumber parseWholeNumber(std::string_view text) {
  if (text.empty()) return {WholeNumberStatus::NotANumber, 0};
  for (char c : text) {
    if (c < '0' || c > '9') return {WholeNumberStatus::NotANumber, 0};
  }
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) return {WholeNumberStatus::TooLarge, 0};
  if (error != std::errc{} || end != text.data() + text.size()) {
    return {WholeNumberStatus::NotANumber, 0};
  }
  return {WholeNumberStatus::Ok, value};
}

}  // namespace kestal::replay
