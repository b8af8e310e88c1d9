#include "tools/wavgen/pcm_wav.h"

#include <fstream>

namespace kestal::wavgen {
namespace {

// Writes fields one after another into a buffer sized up front.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void tag(const char (&name)[5]) {
    for (int i = 0; i < 4; ++i) out_[at_++] = static_cast<std::uint8_t>(name[i]);
  }
  void littleEndian(std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out_[at_++] = static_cast<std::uint8_t>(value >> (8 * i));
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<std::uint8_t> encodeMonoPcm16(std::span<const std::int16_t> samples, int sampleRate) {
  constexpr std::uint32_t CHANNELS = 1;
  constexpr std::uint32_t BITS = 16;
  constexpr std::uint32_t BLOCK_ALIGN = CHANNELS * BITS / 8;
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * BLOCK_ALIGN);
  const auto rate = static_cast<std::uint32_t>(sampleRate);

  std::vector<std::uint8_t> out(WAV_HEADER_BYTES + dataBytes);
  ByteWriter writer(out);
  writer.tag("RIFF");
  writer.littleEndian(WAV_HEADER_BYTES - 8 + dataBytes, 4);
  writer.tag("WAVE");
  writer.tag("fmt ");
  writer.littleEndian(16, 4);  // size of the PCM format block
  writer.littleEndian(1, 2);   // PCM
  writer.littleEndian(CHANNELS, 2);
  writer.littleEndian(rate, 4);
  writer.littleEndian(rate * BLOCK_ALIGN, 4);
  writer.littleEndian(BLOCK_ALIGN, 2);
  writer.littleEndian(BITS, 2);
  writer.tag("data");
  writer.littleEndian(dataBytes, 4);
  for (std::int16_t sample : samples) {
    writer.littleEndian(static_cast<std::uint16_t>(sample), 2);
  }
  return out;
}

bool writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace kestal::wavgen
