// The beep's samples: a 1000 Hz square wave lasting 250 ms.
#include "platform/sdl/sdl_beeper.h"

#include <gtest/gtest.h>

namespace kestal {
namespace {

int signChanges(const std::vector<std::int16_t>& tone) {
  int changes = 0;
  for (std::size_t i = 1; i < tone.size(); ++i) {
    if ((tone[i] > 0) != (tone[i - 1] > 0)) ++changes;
  }
  return changes;
}

TEST(BeepTone, IsAThousandHertzForAQuarterSecond) {
  const std::vector<std::int16_t> at8k = beepTone(8000);
  ASSERT_EQ(at8k.size(), 2000u);
  // Four samples per half period: + + + + - - - - ...
  EXPECT_GT(at8k[0], 0);
  EXPECT_GT(at8k[3], 0);
  EXPECT_LT(at8k[4], 0);
  EXPECT_LT(at8k[7], 0);
  EXPECT_GT(at8k[8], 0);
  // 250 full periods: 500 half periods, 499 changes between them.
  EXPECT_EQ(signChanges(at8k), 499);

  const std::vector<std::int16_t> at44k = beepTone(44100);
  EXPECT_EQ(at44k.size(), 11025u);
  EXPECT_EQ(signChanges(at44k), 499);
  EXPECT_GT(at44k[22], 0);  // 22.05 samples per half period
  EXPECT_LT(at44k[23], 0);
  for (const std::int16_t sample : at44k) EXPECT_NE(sample, 0);
}

}  // namespace
}  // namespace kestal
