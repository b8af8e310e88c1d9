#include "tools/replay/json_number.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using kestal::replay::appendJsonNumber;
using kestal::replay::JSON_NUMBER_MAX_CHARS;

std::string json(double value) {
  char buffer[JSON_NUMBER_MAX_CHARS];
  return std::string(buffer, appendJsonNumber(buffer, value));
}

TEST(JsonNumber, WholeNumbersArePlainDigits) {
  EXPECT_EQ(json(0.0), "0");
  EXPECT_EQ(json(-0.0), "-0");
  EXPECT_EQ(json(27), "27");
  EXPECT_EQ(json(-3), "-3");
  EXPECT_EQ(json(100000), "100000");
  EXPECT_EQ(json(1e16), "10000000000000000");
  // The nearest double is 123456789012345680; its shortest digits are 12345678901234568.
  EXPECT_EQ(json(123456789012345678.0), "123456789012345680");
  EXPECT_EQ(json(1e300), "1" + std::string(300, '0'));
  const std::string largest = json(std::numeric_limits<double>::max());
  EXPECT_EQ(largest.size(), 309u);
  EXPECT_EQ(largest.substr(0, 17), "17976931348623157");
}

TEST(JsonNumber, FractionsUseAPointWhenTheExponentIsModerate) {
  EXPECT_EQ(json(0.25), "0.25");
  EXPECT_EQ(json(-2.5), "-2.5");
  EXPECT_EQ(json(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(json(1e-4), "0.0001");
  EXPECT_EQ(json(0.00012), "0.00012");
  EXPECT_EQ(json(1234567890123456.5), "1234567890123456.5");
  EXPECT_EQ(json(0.6 * 3), "1.7999999999999998");
}

TEST(JsonNumber, FractionsUseAnExponentWhenTheExponentIsExtreme) {
  EXPECT_EQ(json(1e-5), "1e-05");
  EXPECT_EQ(json(1.5e-05), "1.5e-05");
  EXPECT_EQ(json(-1.5e-05), "-1.5e-05");
  EXPECT_EQ(json(2.5e-300), "2.5e-300");
  EXPECT_EQ(json(std::numeric_limits<double>::denorm_min()), "5e-324");
}

TEST(JsonNumber, NonFiniteValuesAreNull) {
  EXPECT_EQ(json(std::numeric_limits<double>::quiet_NaN()), "null");
  EXPECT_EQ(json(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(json(-std::numeric_limits<double>::infinity()), "null");
}

}  // namespace
