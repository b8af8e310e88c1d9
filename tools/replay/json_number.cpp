#include "tools/replay/json_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kestal::replay {
namespace {

// A double's shortest round-trip digits: |value| = d1.d2d3... * 10^exponent.
struct ShortestDigits {
  bool negative = false;
  char digits[24] = {};
  int count = 0;
  int exponent = 0;  // of the first digit
};

ShortestDigits shortestDigits(double value) {
  // Scientific form always gives one digit before the point, so the fields are easy to
  // pick apart; without a precision argument the digits are the shortest round trip.
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  ShortestDigits parsed;
  const char* p = text;
  if (*p == '-') {
    parsed.negative = true;
    ++p;
  }
  for (; *p != 'e'; ++p) {
    if (*p != '.') parsed.digits[parsed.count++] = *p;
  }
  ++p;
  if (*p == '+') ++p;
  std::from_chars(p, result.ptr, parsed.exponent);
  return parsed;
}

char* appendZeros(char* out, int count) {
  for (int i = 0; i < count; ++i) *out++ = '0';
  return out;
}

char* appendDigits(char* out, const char* digits, int count) {
  std::memcpy(out, digits, static_cast<std::size_t>(count));
  return out + count;
}

char* appendWhole(char* out, const ShortestDigits& d) {
  out = appendDigits(out, d.digits, d.count);
  return appendZeros(out, d.exponent - (d.count - 1));
}

char* appendPlainFraction(char* out, const ShortestDigits& d) {
  if (d.exponent < 0) {
    *out++ = '0';
    *out++ = '.';
    out = appendZeros(out, -d.exponent - 1);
    return appendDigits(out, d.digits, d.count);
  }
  const int integerDigits = d.exponent + 1;  // fewer than count: the value is not whole
  out = appendDigits(out, d.digits, integerDigits);
  *out++ = '.';
  return appendDigits(out, d.digits + integerDigits, d.count - integerDigits);
}

char* appendExponentForm(char* out, const ShortestDigits& d) {
  *out++ = d.digits[0];
  if (d.count > 1) {
    *out++ = '.';
    out = appendDigits(out, d.digits + 1, d.count - 1);
  }
  *out++ = 'e';
  *out++ = d.exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(d.exponent);
  if (magnitude < 10) *out++ = '0';
  return std::to_chars(out, out + 4, magnitude).ptr;
}

}  // namespace

char* appendJsonNumber(char* out, double value) {
  if (!std::isfinite(value)) {
    std::memcpy(out, "null", 4);
    return out + 4;
  }
  const ShortestDigits d = shortestDigits(value);
  if (d.negative) *out++ = '-';
  if (std::trunc(value) == value) return appendWhole(out, d);
  if (d.exponent >= -4 && d.exponent <= 15) return appendPlainFraction(out, d);
  return appendExponentForm(out, d);
}

}  // namespace kestal::replay
