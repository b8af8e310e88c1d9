// Number <-> text conversions and the saturating integer conversions.
#include "screen/numbers.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

// The length of the decimal literal at the start of `text` (digits with an optional point,
// then an optional exponent), or 0 when it has no digit.
std::size_t decimalLiteralLength(std::string_view text) {
  std::size_t at = skipDigits(text, 0);
  std::size_t digitCount = at;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fractionStart = at + 1;
    at = skipDigits(text, fractionStart);
    digitCount += at - fractionStart;
  }
  if (digitCount == 0) return 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponentDigits = at + 1;
    if (exponentDigits < text.size() &&
        (text[exponentDigits] == '+' || text[exponentDigits] == '-')) {
      ++exponentDigits;
    }
    const std::size_t exponentEnd = skipDigits(text, exponentDigits);
    if (exponentEnd > exponentDigits) at = exponentEnd;  // an exponent without digits is not read
  }
  return at;
}

double parseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::size_t length = decimalLiteralLength(text);
  if (length == 0) return 0;
  // strtod needs a terminated string, and must see only the literal checked above: never a
  // hexadecimal form, "inf" or "nan". It rounds correctly however long the literal is, and
  // gives infinity or zero (or a subnormal) beyond the range, so errno can be ignored. The
  // game never changes the C locale, so the decimal point is ".". Only the Delay prompt
  // reads numbers, with 8 characters at most: the copy stays in the string's own buffer.
  const std::string literal(text.substr(0, length));
  const double value = std::strtod(literal.c_str(), nullptr);
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
  if (value == std::trunc(value) && std::fabs(value) < WHOLE_NUMBER_LIMIT) {
    // Also turns negative zero into "0".
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      static_cast<std::int64_t>(value));
    return std::string(buffer.data(), result.ptr);
  }
  // printf's general form with a precision is exactly what the C++ library's general form
  // gives, and every C library rounds it correctly.
  const int length = std::snprintf(buffer.data(), buffer.size(), "%.16g", value);
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

namespace detail {

int saturatedInt(double value) {
  if (std::isnan(value)) return 0;
  return value > 0 ? INT_MAX : INT_MIN;
}

}  // namespace detail

}  // namespace kestal
