// Sound as OpenAL Soft's file writer leaves it, and how to recognise an effect in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace e2e {

struct Sound {
  int rate = 0;
  std::vector<std::int16_t> samples;  // the first channel
};

// A 16-bit PCM WAV file, plain or extensible. A file whose writer was killed before it could
// finish the header still reads, up to its end.
std::optional<Sound> readWav(const std::filesystem::path& path);

// How closely `segment` follows some stretch of `effect` (normalised cross-correlation, 1 for
// the same waveform at any loudness, near 0 for an unrelated one); a looping effect may be
// caught across its seam. 0 for a silent segment.
double likeness(std::span<const std::int16_t> segment, std::span<const std::int16_t> effect,
                bool looping);

}  // namespace e2e
