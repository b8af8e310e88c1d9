// The state trace's digits against the C++ library's shortest round trip, which some platforms
// (the WebAssembly build's libc++) lack: the digits must be the same everywhere.
#include "tools/replay/shortest_digits.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

#include "tests/screen/sample_doubles.h"

namespace {

using kestal::replay::ShortestDigits;

// "-d.ddde+XX" from std::to_chars, taken apart the same way.
struct LibraryDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

LibraryDigits libraryDigits(double value) {
  char text[40];
  const char* const end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
  LibraryDigits parsed;
  const char* p = text;
  parsed.negative = *p == '-';
  if (parsed.negative) ++p;
  for (; *p != 'e'; ++p) {
    if (*p != '.') parsed.digits += *p;
  }
  ++p;
  if (*p == '+') ++p;
  std::from_chars(p, end, parsed.exponent);
  return parsed;
}

TEST(ShortestDigits, MatchTheLibrarysShortestRoundTrip) {
  int mismatches = 0;
  for (const double value : kestal::testing::sampleDoubles()) {
    if (!std::isfinite(value)) continue;
    const LibraryDigits expected = libraryDigits(value);
    const ShortestDigits actual = kestal::replay::shortestDigits(value);
    const std::string digits(actual.digits, static_cast<std::size_t>(actual.count));
    if ((actual.negative != expected.negative || digits != expected.digits ||
         actual.exponent != expected.exponent) &&
        ++mismatches <= 5) {
      ADD_FAILURE() << value << ": " << digits << "e" << actual.exponent << ", the library "
                    << expected.digits << "e" << expected.exponent;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
