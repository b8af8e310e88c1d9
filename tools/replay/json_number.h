// Numbers of the state trace: the shortest text that reads back to the same double, in a
// form that every JSON reader accepts and that stays stable between library versions.
#pragma once

#include <cstddef>

namespace kestal::replay {

// Room one number can take: a sign and the 309 digits of the largest whole double.
inline constexpr std::size_t JSON_NUMBER_MAX_CHARS = 320;

// Writes `value` at `out` (which must have JSON_NUMBER_MAX_CHARS of room) and returns the
// end. Whole numbers as plain digits ("100000", "-0"); others with a decimal point when the
// decimal exponent is -4..15 ("0.0001", "0.25"), else as "1.5e-05"; NaN and infinities,
// which JSON cannot hold, as "null". Never allocates.
char* appendJsonNumber(char* out, double value);

}  // namespace kestal::replay
