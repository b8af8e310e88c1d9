// Conversions between numbers and text, and the integer conversions the game uses when it
// hands a computed double to a service.
#pragma once

#include <string>
#include <string_view>

namespace kestal {

// The number the text starts with (decimal literal, or &H / &O / &B integers); 0 if none.
double parseNumber(std::string_view text);
// Whole numbers below 1e16 as plain digits; other values with up to 16 significant digits.
std::string formatNumber(double value);

// Nearest integer, halves to even. Values beyond the int range saturate, NaN gives 0:
// never undefined behaviour, and such colours or positions are nonsense anyway.
int nint(double value);
// floor as an int, saturating the same way.
int floorToInt(double value);

}  // namespace kestal
