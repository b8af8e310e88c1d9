#include "tools/replay/shortest_digits.h"

#include <fmt/format.h>

namespace kestal::replay {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The signed exponent after the "e" of {fmt}'s text, e.g. "+16" or "-05".
int readExponent(const char* p, const char* end) {
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  int value = 0;
  for (; p != end; ++p) value = value * 10 + (*p - '0');
  return negative ? -value : value;
}

}  // namespace

// {fmt}'s plain "{}" writes the shortest round-trip digits (the same choice as the C++
// library's to_chars), in either fixed or exponent layout: both are taken apart here. The
// fixed layout may carry zeros before the first significant digit ("0.0001") and after the
// last ("1000000000000000"); neither belongs to the digits.
ShortestDigits shortestDigits(double value) {
  char text[48];
  const char* const end = fmt::format_to_n(text, sizeof text, "{}", value).out;
  ShortestDigits parsed;
  const char* p = text;
  if (*p == '-') {
    parsed.negative = true;
    ++p;
  }
  int position = 0;           // of the next digit in the text
  int integerDigits = -1;     // digits before the point; -1 until a point is seen
  int firstSignificant = -1;  // position of the first non-zero digit
  for (; p != end && *p != 'e'; ++p) {
    if (*p == '.') {
      integerDigits = position;
      continue;
    }
    if (!isDigit(*p)) break;
    if (firstSignificant < 0 && *p != '0') firstSignificant = position;
    if (firstSignificant >= 0) parsed.digits[parsed.count++] = *p;
    ++position;
  }
  if (integerDigits < 0) integerDigits = position;
  if (firstSignificant < 0) {  // zero
    parsed.digits[0] = '0';
    parsed.count = 1;
    return parsed;
  }
  while (parsed.digits[parsed.count - 1] == '0') --parsed.count;
  const int exponent = p != end && *p == 'e' ? readExponent(p + 1, end) : 0;
  parsed.exponent = integerDigits - 1 - firstSignificant + exponent;
  return parsed;
}

}  // namespace kestal::replay
