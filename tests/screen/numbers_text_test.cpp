// formatNumber and parseNumber against the C++ library's own conversions, which some
// platforms (the WebAssembly build's libc++) lack: the text must be the same everywhere.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "screen/numbers.h"
#include "tests/screen/sample_doubles.h"

namespace {

using kestal::formatNumber;
using kestal::parseNumber;

// What the game printed when it formatted through std::to_chars.
std::string libraryFormat(double value) {
  char text[64];
  std::to_chars_result result;
  if (value == std::trunc(value) && std::fabs(value) < 1e16) {
    result = std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(value));
  } else {
    result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 16);
  }
  return std::string(text, result.ptr);
}

// Texts of a value in several lengths, up to the exact decimal value of the point halfway
// to the next double, which tests the rounding of ties.
std::vector<std::string> textsOf(double value, bool withHalfway) {
  std::vector<std::string> texts;
  char text[1200];
  texts.emplace_back(text, std::to_chars(text, text + sizeof text, value).ptr);
  for (const char* format : {"%.17g", "%.25e", "%.3f", "%.0f"}) {
    if (std::snprintf(text, sizeof text, format, value) < static_cast<int>(sizeof text)) {
      texts.emplace_back(text);
    }
  }
  if (withHalfway && std::isfinite(value)) {
    const long double next = std::nextafter(value, std::numeric_limits<double>::infinity());
    std::snprintf(text, sizeof text, "%.800Le", (static_cast<long double>(value) + next) / 2);
    texts.emplace_back(text);
  }
  return texts;
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(NumbersText, FormatNumberMatchesTheLibrary) {
  int mismatches = 0;
  for (const double value : kestal::testing::sampleDoubles()) {
    const std::string expected = libraryFormat(value);
    const std::string actual = formatNumber(value);
    if (actual != expected && ++mismatches <= 5) {
      ADD_FAILURE() << "formatNumber gives " << actual << ", the library " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(NumbersText, ParseNumberMatchesTheLibrary) {
  const std::vector<double> values = kestal::testing::sampleDoubles();
  int mismatches = 0;
  int compared = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) continue;
    for (const std::string& text : textsOf(values[i], i % 50 == 0)) {
      double expected = 0;
      const auto result = std::from_chars(text.data(), text.data() + text.size(), expected);
      // Overflow and underflow to zero have tests of their own.
      if (result.ec != std::errc{}) continue;
      ++compared;
      const double actual = parseNumber(text);
      if (!sameBits(actual, expected) && ++mismatches <= 5) {
        ADD_FAILURE() << "parseNumber(" << text.substr(0, 60) << ") gives " << actual;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(compared, 500000);
}

}  // namespace
