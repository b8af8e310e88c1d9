// The browser's stand-in for ALUT's legacy WAV loader against Debian's freealut: the same
// files, including broken and unusual ones, must give the same outputs, the same bytes and
// the same error.
#include "sound/legacy_sound_loader.h"

#include <AL/alut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/sound/child_process.h"

namespace kestal::test {
namespace {

namespace fs = std::filesystem;

// What one load left behind. The outputs start from values no loader writes, so what a
// failed load leaves untouched shows too.
struct Outcome {
  ALenum format = 0x7777;
  bool gotData = false;
  ALsizei size = -5;
  ALsizei frequency = -7;
  ALboolean loop = 9;
  ALenum error = -1;
  std::vector<unsigned char> bytes;
};

void keepData(Outcome& outcome, const void* data) {
  outcome.gotData = data != nullptr;
  if (data != nullptr && outcome.size > 0) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    outcome.bytes.assign(bytes, bytes + outcome.size);
  }
}

Outcome loadWithFreealut(const fs::path& path) {
  Outcome outcome;
  std::string name = path.string();
  void* data = &outcome;
  alutGetError();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  alutLoadWAVFile(reinterpret_cast<ALbyte*>(name.data()), &outcome.format, &data, &outcome.size,
                  &outcome.frequency, &outcome.loop);
  outcome.error = alutGetError();
  keepData(outcome, data);
  alutUnloadWAV(outcome.format, data, outcome.size, outcome.frequency);
#pragma GCC diagnostic pop
  return outcome;
}

Outcome loadWithOurs(const fs::path& path) {
  Outcome outcome;
  void* data = &outcome;
  outcome.error = static_cast<ALenum>(loadLegacySoundFile(
      path.c_str(), &outcome.format, &data, &outcome.size, &outcome.frequency, &outcome.loop));
  keepData(outcome, data);
  std::free(data);
  return outcome;
}

void expectSameLoad(const fs::path& path) {
  SCOPED_TRACE(path.filename().string());
  const Outcome theirs = loadWithFreealut(path);
  const Outcome ours = loadWithOurs(path);
  EXPECT_EQ(ours.error, theirs.error);
  EXPECT_EQ(ours.gotData, theirs.gotData);
  EXPECT_EQ(ours.format, theirs.format);
  EXPECT_EQ(ours.size, theirs.size);
  EXPECT_EQ(ours.frequency, theirs.frequency);
  EXPECT_EQ(ours.loop, theirs.loop);
  EXPECT_TRUE(ours.bytes == theirs.bytes) << "sample bytes differ";
}

// File contents spelt field by field.
class Bytes {
 public:
  Bytes& text(const std::string& characters) {
    bytes_ += characters;
    return *this;
  }
  Bytes& little(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes_ += static_cast<char>(value >> (8 * i));
    return *this;
  }
  Bytes& big32(std::uint32_t value) {
    for (int i = 3; i >= 0; --i) bytes_ += static_cast<char>(value >> (8 * i));
    return *this;
  }
  // `count` bytes running through every value, so any shuffling of samples shows.
  Bytes& ramp(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) bytes_ += static_cast<char>(i * 37 + 11);
    return *this;
  }
  const std::string& str() const { return bytes_; }

 private:
  std::string bytes_;
};

Bytes formatChunk(int tag, int channels, std::uint32_t rate, int bits, int length = 16) {
  Bytes chunk;
  chunk.text("fmt ").little(length, 4).little(tag, 2).little(channels, 2).little(rate, 4);
  chunk.little(rate * channels * bits / 8, 4).little(channels * bits / 8, 2).little(bits, 2);
  return chunk.ramp(length - 16);
}

std::string wave(const std::string& chunks) {
  return Bytes().text("RIFF").little(4 + chunks.size(), 4).text("WAVE").text(chunks).str();
}

std::string dataChunk(std::uint32_t claimed, std::size_t present) {
  return Bytes().text("data").little(claimed, 4).ramp(present).str();
}

std::string pcm(int channels, std::uint32_t rate, int bits, std::size_t bytes) {
  return wave(formatChunk(1, channels, rate, bits).str() + dataChunk(bytes, bytes));
}

std::string snd(std::uint32_t offset, std::uint32_t length, std::uint32_t encoding,
                std::uint32_t rate, std::uint32_t channels, std::size_t present) {
  return Bytes()
      .text(".snd")
      .big32(offset)
      .big32(length)
      .big32(encoding)
      .big32(rate)
      .big32(channels)
      .ramp(offset > 24 ? offset - 24 : 0)
      .ramp(present)
      .str();
}

struct Sample {
  const char* name;
  std::string contents;
};

void expectSameLoads(const std::vector<Sample>& samples) {
  TemporaryDirectory directory;
  for (const Sample& sample : samples) {
    writeText(directory.path() / sample.name, sample.contents);
    expectSameLoad(directory.path() / sample.name);
  }
}

TEST(LegacySoundLoader, LoadsTheGeneratedEffectsAsFreealutDoes) {
  for (const char* effect : {"Warp.wav", "Shield.wav", "Laser.wav", "Hit.wav", "Explosion.wav"}) {
    expectSameLoad(fs::path(KESTAL_SOUND_DIR) / effect);
  }
}

TEST(LegacySoundLoader, ReadsPcmWaveFilesAndTheirOddChunksAsFreealutDoes) {
  const std::string format8 = formatChunk(1, 1, 11025, 8).str();
  const std::string format16 = formatChunk(1, 2, 44100, 16).str();
  const std::string oddList = Bytes().text("LIST").little(5, 4).ramp(5).str();
  const std::string pad(1, '\0');
  std::string format14 = formatChunk(1, 1, 8000, 8).str().substr(0, 22);
  format14[4] = 14;
  expectSameLoads({
      {"mono8.wav", pcm(1, 11025, 8, 101)},
      {"mono16.wav", pcm(1, 22050, 16, 200)},
      {"stereo8.wav", pcm(2, 8000, 8, 64)},
      {"stereo16.wav", pcm(2, 48000, 16, 256)},
      {"odd16.wav", pcm(1, 22050, 16, 7)},
      {"no-samples.wav", pcm(1, 22050, 16, 0)},
      {"extra-chunks.wav",
       wave(oddList + pad + format8 + Bytes().text("fact").little(4, 4).ramp(4).str() +
            dataChunk(50, 50))},
      {"odd-chunk-unpadded.wav", wave(oddList + format8 + dataChunk(50, 50))},
      {"odd-chunk-at-end.wav", wave(format8 + oddList)},
      {"format-18.wav", wave(formatChunk(1, 1, 8000, 8, 18).str() + dataChunk(9, 9))},
      {"format-17.wav", wave(formatChunk(1, 1, 8000, 8, 17).str() + pad + dataChunk(9, 9))},
      {"format-14.wav", wave(format14 + dataChunk(9, 9))},
      {"two-formats.wav", wave(format16 + format8 + dataChunk(12, 12))},
      {"data-first.wav", wave(dataChunk(12, 12) + format8)},
      {"no-data.wav", wave(format8)},
      {"data-past-end.wav", wave(format8 + dataChunk(1000, 10))},
      {"data-after-riff-end.wav",
       Bytes().text("RIFF").little(12, 4).text("WAVE").text(format16 + dataChunk(16, 16)).str()},
      {"rate-2-24-plus-1.wav", pcm(1, 16777217, 8, 4)},
      {"rate-max.wav", pcm(1, 0xFFFFFFFF, 8, 4)},
  });
}

TEST(LegacySoundLoader, RejectsOrConvertsOtherWaveEncodingsAsFreealutDoes) {
  std::string allMuLaw = Bytes().text("data").little(256, 4).str();
  for (int value = 0; value < 256; ++value) allMuLaw += static_cast<char>(value);
  expectSameLoads({
      {"mu-law.wav", wave(formatChunk(7, 1, 8000, 8).str() + allMuLaw)},
      {"mu-law-stereo.wav", wave(formatChunk(7, 2, 8000, 8).str() + dataChunk(10, 10))},
      {"mu-law-16.wav", wave(formatChunk(7, 1, 8000, 16).str() + dataChunk(10, 10))},
      {"a-law.wav", wave(formatChunk(6, 1, 8000, 8).str() + dataChunk(10, 10))},
      {"float.wav", wave(formatChunk(3, 1, 8000, 32).str() + dataChunk(16, 16))},
      {"extensible.wav", wave(formatChunk(0xFFFE, 2, 44100, 16, 40).str() + dataChunk(8, 8))},
      {"pcm24.wav", pcm(1, 44100, 24, 30)},
      {"pcm32.wav", pcm(2, 44100, 32, 32)},
      {"three-channels.wav", pcm(3, 8000, 8, 30)},
      {"no-channels.wav", pcm(0, 8000, 8, 30)},
      {"not-wave.wav", Bytes().text("RIFF").little(4, 4).text("AVI ").str()},
      {"junk.wav", "JUNKJUNKJUNKJUNK"},
  });
}

TEST(LegacySoundLoader, FailsOnMissingUnreadableAndTruncatedFilesAsFreealutDoes) {
  TemporaryDirectory directory;
  expectSameLoad(directory.path() / "missing.wav");
  fs::create_directory(directory.path() / "folder.wav");
  expectSameLoad(directory.path() / "folder.wav");
  // Every cut of a file, from empty to one byte short.
  const std::string whole = wave(Bytes().text("LIST").little(3, 4).ramp(3).little(0, 1).str() +
                                 formatChunk(1, 2, 22050, 16).str() + dataChunk(8, 8));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const fs::path path = directory.path() / ("cut-" + std::to_string(length) + ".wav");
    writeText(path, whole.substr(0, length));
    expectSameLoad(path);
  }
}

// The legacy loader reads more than WAV: a ".snd" magic or a ".raw" name is enough.
TEST(LegacySoundLoader, ReadsSndAndRawFilesAsFreealutDoes) {
  expectSameLoads({
      {"mu-law.wav", snd(24, 40, 1, 8000, 1, 40)},
      {"signed8.wav", snd(32, 40, 2, 8000, 2, 40)},
      {"big16.wav", snd(24, 41, 3, 22050, 1, 41)},
      {"a-law.wav", snd(28, 256, 27, 8000, 1, 256)},
      {"unknown-length.wav", snd(24, 0xFFFFFFFF, 2, 8000, 1, 100)},
      {"past-end.wav", snd(24, 100, 2, 8000, 1, 10)},
      {"short-offset.wav", snd(20, 10, 2, 8000, 1, 10)},
      {"no-rate.wav", snd(24, 10, 2, 0, 1, 10)},
      {"pcm24.wav", snd(24, 30, 4, 8000, 1, 30)},
      {"four-channels.wav", snd(24, 32, 3, 8000, 4, 32)},
      {"header-cut.wav", snd(24, 10, 2, 8000, 1, 10).substr(0, 14)},
      {"bytes.RAW", "any bytes at all"},
      {"nothing.raw", ""},
      {"raw.wav.txt", "RIFF"},
  });
}

}  // namespace
}  // namespace kestal::test
