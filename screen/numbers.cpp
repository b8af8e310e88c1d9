// Number <-> text conversions and the saturating integer conversions.
#include "screen/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kestal {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int radixOf(char selector) {
  switch (selector) {
    case 'H':
    case 'h':
      return 16;
    case 'O':
    case 'o':
      return 8;
    case 'B':
    case 'b':
      return 2;
    default:
      return 0;
  }
}

int digitValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// Reading stops at the first byte that is not a digit of the base.
double parseRadixDigits(std::string_view digits, int radix) {
  double value = 0;
  for (const char c : digits) {
    const int digit = digitValue(c);
    if (digit >= radix) break;
    value = value * radix + digit;
  }
  return value;
}

std::size_t skipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && isDigit(text[at])) ++at;
  return at;
}

// Decimal power of the leading non-zero digit of a mantissa (digits, optional point), or
// nothing useful when all digits are zero.
long long leadingPower(std::string_view mantissa) {
  const std::size_t point = mantissa.find('.');
  const std::size_t integerDigits = point == std::string_view::npos ? mantissa.size() : point;
  for (std::size_t i = 0; i < mantissa.size(); ++i) {
    if (mantissa[i] == '.' || mantissa[i] == '0') continue;
    return i < integerDigits ? static_cast<long long>(integerDigits - i - 1)
                             : -static_cast<long long>(i - integerDigits);
  }
  return 0;
}

long long saturatedExponent(std::string_view exponent) {
  bool negative = false;
  std::size_t at = 0;
  if (at < exponent.size() && (exponent[at] == '+' || exponent[at] == '-')) {
    negative = exponent[at++] == '-';
  }
  long long value = 0;
  for (; at < exponent.size(); ++at)
    value = std::min(value * 10 + (exponent[at] - '0'), 1000000000LL);
  return negative ? -value : value;
}

double parseDecimal(std::string_view text) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::size_t mantissaStart = at;
  at = skipDigits(text, at);
  std::size_t digitCount = at - mantissaStart;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fractionStart = at + 1;
    at = skipDigits(text, fractionStart);
    digitCount += at - fractionStart;
  }
  if (digitCount == 0) return 0;
  const std::size_t mantissaEnd = at;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponentDigits = at + 1;
    if (exponentDigits < text.size() &&
        (text[exponentDigits] == '+' || text[exponentDigits] == '-')) {
      ++exponentDigits;
    }
    const std::size_t exponentEnd = skipDigits(text, exponentDigits);
    if (exponentEnd > exponentDigits) at = exponentEnd;  // an exponent without digits is not read
  }

  const std::string_view literal = text.substr(mantissaStart, at - mantissaStart);
  double value = 0;
  const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    const std::string_view mantissa = text.substr(mantissaStart, mantissaEnd - mantissaStart);
    const long long exponent =
        at > mantissaEnd ? saturatedExponent(text.substr(mantissaEnd + 1, at - mantissaEnd - 1))
                         : 0;
    value = leadingPower(mantissa) + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

constexpr double WHOLE_NUMBER_LIMIT = 1e16;

}  // namespace

double parseNumber(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return 0;
  text.remove_prefix(start);
  if (text.size() >= 2 && text[0] == '&') {
    const int radix = radixOf(text[1]);
    if (radix != 0) return parseRadixDigits(text.substr(2), radix);
  }
  return parseDecimal(text);
}

std::string formatNumber(double value) {
  std::array<char, 40> buffer{};
  char* const first = buffer.data();
  char* const last = buffer.data() + buffer.size();
  std::to_chars_result result{};
  if (value == std::trunc(value) && std::fabs(value) < WHOLE_NUMBER_LIMIT) {
    // Also turns negative zero into "0".
    result = std::to_chars(first, last, static_cast<std::int64_t>(value));
  } else {
    result = std::to_chars(first, last, value, std::chars_format::general, 16);
  }
  return std::string(first, result.ptr);
}

int nint(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  double whole = std::floor(value);
  const double fraction = value - whole;  // exact for every double in this range
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int>(whole);
}

int floorToInt(double value) {
  if (std::isnan(value)) return 0;
  const double whole = std::floor(value);
  if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(whole);
}

}  // namespace kestal
