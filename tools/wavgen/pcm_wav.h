// Encoding of 16-bit mono PCM as a RIFF/WAVE file, the plainest form every loader reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace kestal::wavgen {

inline constexpr int WAV_HEADER_BYTES = 44;

// The complete file: 44-byte header ("RIFF", "WAVE", "fmt " with PCM tag 1, "data")
// followed by the samples, little-endian whatever the host.
std::vector<std::uint8_t> encodeMonoPcm16(std::span<const std::int16_t> samples, int sampleRate);

// Writes `bytes` to `path`; false (with nothing promised about the file) on any I/O error.
bool writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace kestal::wavgen
