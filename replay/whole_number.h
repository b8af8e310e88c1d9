// Reading the unsigned decimal numbers of the command line and the key script.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestal::replay {

enum class WholeNumberStatus { Ok, NotANumber, TooLarge };

struct WholeNumber {
  WholeNumberStatus status;
  std::uint64_t value;
};

// Digits only: no sign, no blanks, no decimal point. Values beyond 64 bits are TooLarge
// rather than wrapped, so a typo never turns into a small retrace number.
WholeNumber parseWholeNumber(std::string_view text);

}  // namespace kestal::replay
