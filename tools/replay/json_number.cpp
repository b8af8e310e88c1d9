#include "tools/replay/json_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tools/replay/shortest_digits.h"

namespace kestal::replay {
namespace {

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
