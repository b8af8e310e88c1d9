// Conversions between numbers and text, and the integer conversions the game uses when it
// hands a computed double to a service.
#pragma once

#include <cfloat>
#include <climits>
#include <string>
#include <string_view>

namespace kestal {

// The number the text starts with (decimal literal, or &H / &O / &B integers); 0 if none.
double parseNumber(std::string_view text);
// Whole numbers below 1e16 as plain digits; other values with up to 16 significant digits.
std::string formatNumber(double value);

namespace detail {
// NaN and values beyond the int range, for nint and floorToInt; kept out of line, as the
// drawing loops never get there.
int saturatedInt(double value);

// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below 2^51 to a whole
// number, halves to even, exactly: the sum lies where doubles are whole numbers one apart,
// so the addition itself rounds, in the default rounding mode (which the game never
// changes). It needs doubles evaluated as doubles, with no wider intermediate precision.
static_assert(FLT_EVAL_METHOD == 0, "nint's rounding needs doubles computed in double");
inline constexpr double ROUNDING_SHIFT = 6755399441055744.0;  // 1.5 * 2^52
}  // namespace detail

// Nearest integer, halves to even. Values beyond the int range saturate, NaN gives 0:
// never undefined behaviour, and such colours or positions are nonsense anyway. Inline, and
// two additions rather than floor and fmod: the star field rounds 8000 colours a frame.
inline int nint(double value) {
  if (value > INT_MIN && value < INT_MAX) [[likely]] {
    return static_cast<int>((value + detail::ROUNDING_SHIFT) - detail::ROUNDING_SHIFT);
  }
  return detail::saturatedInt(value);
}

// floor as an int, saturating the same way.
inline int floorToInt(double value) {
  if (value > INT_MIN && value < INT_MAX) [[likely]] {
    const int truncated = static_cast<int>(value);  // toward zero, then down for negatives
    return static_cast<double>(truncated) > value ? truncated - 1 : truncated;
  }
  return detail::saturatedInt(value);
}

}  // namespace kestal
