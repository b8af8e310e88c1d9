#include "tests/e2e/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace e2e {

namespace {

constexpr std::uint16_t FORMAT_PCM = 1;
constexpr std::uint16_t FORMAT_EXTENSIBLE = 0xFFFE;

std::uint32_t little32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t little16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::optional<Sound> readWav(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  Sound sound;
  int channels = 0;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const unsigned char* chunk = bytes.data() + at;
    const std::size_t size = little32(chunk + 4);
    const std::size_t bodyAt = at + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && bodyAt + 16 <= bytes.size()) {
      const std::uint16_t format = little16(chunk + 8);
      channels = little16(chunk + 10);
      sound.rate = static_cast<int>(little32(chunk + 12));
      const int bits = little16(chunk + 22);
      if ((format != FORMAT_PCM && format != FORMAT_EXTENSIBLE) || bits != 16) return std::nullopt;
    } else if (std::memcmp(chunk, "data", 4) == 0 && channels > 0) {
      // An unfinished header says 0 or 0xFFFFFFFF here: the data runs to the end.
      const std::size_t end = std::min(bytes.size(), size == 0 ? bytes.size() : bodyAt + size);
      const std::size_t frame = 2 * static_cast<std::size_t>(channels);
      for (std::size_t p = bodyAt; p + frame <= end; p += frame) {
        sound.samples.push_back(static_cast<std::int16_t>(little16(bytes.data() + p)));
      }
      return sound;
    }
    at = bodyAt + size + (size & 1);
  }
  return std::nullopt;
}

double likeness(std::span<const std::int16_t> segment, std::span<const std::int16_t> effect,
                bool looping) {
  const std::size_t n = segment.size();
  if (n == 0 || effect.size() < n) return 0;
  double segmentEnergy = 0;
  for (std::int16_t s : segment) segmentEnergy += static_cast<double>(s) * s;
  if (segmentEnergy == 0) return 0;
  // A looping effect continues with its own start.
  std::vector<double> samples(effect.begin(), effect.end());
  if (looping) samples.insert(samples.end(), effect.begin(), effect.begin() + n - 1);
  const std::size_t lags = samples.size() - n + 1;
  double best = 0;
  for (std::size_t lag = 0; lag < lags; ++lag) {
    double product = 0;
    double effectEnergy = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double e = samples[lag + i];
      product += segment[i] * e;
      effectEnergy += e * e;
    }
    if (effectEnergy > 0) best = std::max(best, product / std::sqrt(segmentEnergy * effectEnergy));
  }
  return best;
}

}  // namespace e2e
