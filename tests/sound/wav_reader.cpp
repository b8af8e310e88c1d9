#include "tests/sound/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kestal::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t little(const Bytes& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

bool tagIs(const Bytes& bytes, std::size_t at, const char* tag) {
  return std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// The 16-byte GUID tail shared by every KSDATAFORMAT sub-format; its first two bytes are the tag.
bool extensibleIsPcm(const Bytes& bytes, std::size_t fmt, std::uint32_t fmtSize) {
  return fmtSize >= 40 && little(bytes, fmt + 24, 2) == 1;
}

void readSamples(WavFile& wav, const Bytes& bytes, std::size_t data, std::uint32_t size) {
  const int width = wav.bitsPerSample / 8;
  const std::size_t frames = size / (width * wav.channels);
  wav.samples.assign(wav.channels, std::vector<int>(frames));
  std::size_t at = data;
  for (std::size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < wav.channels; ++c, at += width) {
      wav.samples[c][i] =
          width == 1 ? int(bytes[at]) - 128 : int(static_cast<std::int16_t>(little(bytes, at, 2)));
    }
  }
}

}  // namespace

WavFile readWav(const std::filesystem::path& path) {
  WavFile wav;
  std::ifstream file(path, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (bytes.size() < 12 || !tagIs(bytes, 0, "RIFF") || !tagIs(bytes, 8, "WAVE")) {
    wav.problem = "not a RIFF/WAVE file";
    return wav;
  }
  if (little(bytes, 4, 4) != bytes.size() - 8) {
    wav.problem = "RIFF size does not match the file size";
    return wav;
  }
  std::size_t fmt = 0;
  std::uint32_t fmtSize = 0;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::uint32_t size = little(bytes, at + 4, 4);
    if (size > bytes.size() - at - 8) {
      wav.problem = "a chunk runs past the end of the file";
      return wav;
    }
    if (tagIs(bytes, at, "fmt ")) {
      fmt = at + 8;
      fmtSize = size;
    } else if (tagIs(bytes, at, "data")) {
      if (fmt == 0 || fmtSize < 16) {
        wav.problem = "no format chunk before the data";
        return wav;
      }
      const std::uint32_t tag = little(bytes, fmt, 2);
      wav.channels = int(little(bytes, fmt + 2, 2));
      wav.sampleRate = int(little(bytes, fmt + 4, 4));
      const std::uint32_t byteRate = little(bytes, fmt + 8, 4);
      const std::uint32_t blockAlign = little(bytes, fmt + 12, 2);
      wav.bitsPerSample = int(little(bytes, fmt + 14, 2));
      if (!(tag == 1 || (tag == 0xFFFE && extensibleIsPcm(bytes, fmt, fmtSize)))) {
        wav.problem = "not PCM";
      } else if (wav.bitsPerSample != 8 && wav.bitsPerSample != 16) {
        wav.problem = "neither 8 nor 16 bits";
      } else if (wav.channels < 1 || wav.sampleRate <= 0 ||
                 blockAlign != std::uint32_t(wav.channels * wav.bitsPerSample / 8) ||
                 byteRate != std::uint32_t(wav.sampleRate) * blockAlign) {
        wav.problem = "inconsistent format fields";
      } else if (size % blockAlign != 0) {
        wav.problem = "data size is not a whole number of frames";
      } else {
        readSamples(wav, bytes, at + 8, size);
      }
      return wav;
    }
    at += 8 + size + (size & 1);
  }
  wav.problem = "no data chunk";
  return wav;
}

int peakBetween(const WavFile& wav, int channel, std::size_t first, std::size_t last) {
  const auto& samples = wav.samples.at(channel);
  last = std::min(last, samples.size());
  int peak = 0;
  for (std::size_t i = first; i < last; ++i) peak = std::max(peak, std::abs(samples[i]));
  return peak;
}

double rmsBetween(const WavFile& wav, int channel, std::size_t first, std::size_t last) {
  const auto& samples = wav.samples.at(channel);
  last = std::min(last, samples.size());
  if (first >= last) return 0.0;
  double sum = 0.0;
  for (std::size_t i = first; i < last; ++i) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum / double(last - first));
}

}  // namespace kestal::test
