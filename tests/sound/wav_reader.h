// A strict little reader of PCM WAV files for checking both the generated effects and the
// mix OpenAL writes. Written apart from the generator so it cannot share its mistakes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestal::test {

struct WavFile {
  std::string problem;  // empty when the file is a well-formed PCM WAV
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  // samples[c][i]: frame i of channel c, centred on 0 (8-bit data has 128 taken off).
  std::vector<std::vector<int>> samples;

  std::size_t frames() const { return samples.empty() ? 0 : samples[0].size(); }
  double seconds() const { return sampleRate > 0 ? double(frames()) / sampleRate : 0.0; }
};

// Walks the RIFF chunks; accepts the plain PCM tag and the extensible tag with a PCM
// sub-format, 8 or 16 bits. Any inconsistency (sizes that do not match the file, an
// unfinished header, a wrong block alignment or byte rate) is named in `problem`.
WavFile readWav(const std::filesystem::path& path);

// Largest magnitude and root mean square of channel `channel` over [first, last) frames,
// clipped to the file.
int peakBetween(const WavFile& wav, int channel, std::size_t first, std::size_t last);
double rmsBetween(const WavFile& wav, int channel, std::size_t first, std::size_t last);

}  // namespace kestal::test
