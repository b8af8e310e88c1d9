// The video's own parts: the palette's colours as the video's YUV, the rows each screen row
// takes, and the effects mixed as the game plays them (looped, restarted, stopped) within
// full scale however many sound at once.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "sound/openal_sound.h"
#include "tools/wavgen/pcm_wav.h"
#include "video/effect_mixer.h"
#include "video/yuv_picture.h"

namespace kestal::video {
namespace {

TEST(VideoPicture, PaletteColoursAndRowsAreExact) {
  struct Case {
    Rgb colour;
    Yuv expected;
  };
  // BT.709, limited range: black and white at the ends of luma, the primaries' chroma.
  for (const Case& c : std::vector<Case>{{{0, 0, 0}, {16, 128, 128}},
                                         {{255, 255, 255}, {235, 128, 128}},
                                         {{255, 0, 0}, {63, 102, 240}},
                                         {{0, 0, 255}, {32, 240, 118}}}) {
    const Yuv yuv = toYuv(c.colour);
    EXPECT_EQ((std::array<int, 3>{yuv.y, yuv.u, yuv.v}),
              (std::array<int, 3>{c.expected.y, c.expected.u, c.expected.v}));
  }
  // Every screen row shows on 2 or 3 whole rows, 12 rows for each 5, in order.
  std::array<int, SCREEN_HEIGHT> rows{};
  for (int row = 0; row < VIDEO_HEIGHT; ++row) ++rows[sourceRow(row)];
  for (int row = 0; row < SCREEN_HEIGHT; ++row) EXPECT_EQ(rows[row], row % 5 % 2 ? 3 : 2) << row;
}

// Five effects of constant level, each `length` samples long at the video's own rate.
class Effects : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "sound");
    for (const char* name : SOUND_FILES) {
      const std::vector<std::int16_t> samples(LENGTH, LEVEL);
      const std::vector<std::uint8_t> bytes = wavgen::encodeMonoPcm16(samples, SOUND_RATE);
      std::ofstream(dir_ / name, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static constexpr int LENGTH = 1000;
  static constexpr std::int16_t LEVEL = 30000;
  std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("kestal-effects-" + std::to_string(::getpid()));
};

TEST_F(Effects, PlayLoopStopAndNeverClip) {
  EffectMixer mixer(dir_.string());
  ASSERT_TRUE(mixer.problems().empty());
  std::vector<float> out(3000);
  mixer.play(SoundSlot::Laser, true);
  mixer.play(SoundSlot::Hit, false);
  mixer.mix(out);
  const float both = out[0];
  EXPECT_NEAR(out[999], both, 1e-6) << "both sound to their end";
  EXPECT_NEAR(out[1000], both / 2, 1e-6) << "the hit ends, the laser loops";
  EXPECT_NEAR(out[2999], both / 2, 1e-6);
  // All five at once stay within full scale.
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) mixer.play(static_cast<SoundSlot>(slot), false);
  mixer.mix(out);
  EXPECT_NEAR(out[0], 5 * both / 2, 1e-5);
  EXPECT_LE(out[0], 1.0f);
  // Stopped at once, and restarted from the beginning.
  mixer.play(SoundSlot::Warp, true);
  mixer.play(SoundSlot::Shield, false);
  mixer.mix(std::span<float>(out).first(900));
  mixer.stop(SoundSlot::Warp);
  mixer.play(SoundSlot::Shield, false);
  mixer.mix(out);
  EXPECT_NEAR(out[999], both / 2, 1e-6) << "the warp stopped, the shield started again";
  EXPECT_EQ(out[1000], 0.0f);
  mixer.release();
  mixer.mix(out);
  EXPECT_EQ(out[0], 0.0f) << "released, all are silent";
}

TEST(EffectsMissing, AFileThatCannotBeReadIsNamedAndSilent) {
  EffectMixer mixer("/nonexistent");
  ASSERT_EQ(mixer.problems().size(), static_cast<std::size_t>(SOUND_SLOTS));
  EXPECT_EQ(mixer.problems()[2],
            "cannot read sound file '/nonexistent/sound/Laser.wav'; that effect stays silent");
  std::vector<float> out(10, 1.0f);
  mixer.play(SoundSlot::Laser, true);
  mixer.mix(out);
  EXPECT_EQ(out[0], 0.0f);
}

}  // namespace
}  // namespace kestal::video
