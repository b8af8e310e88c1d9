// The shortest decimal digits that read back to the same double, apart from any library's
// text layout, so that the state trace is the same wherever the tool is built.
#pragma once

namespace kestal::replay {

// |value| = d1.d2d3... * 10^exponent, with no trailing zero digit (zero is the one digit
// "0" with exponent 0).
struct ShortestDigits {
  bool negative = false;
  char digits[24] = {};
  int count = 0;
  int exponent = 0;  // of the first digit
};

// `value` must be finite. Never allocates.
ShortestDigits shortestDigits(double value);

}  // namespace kestal::replay
