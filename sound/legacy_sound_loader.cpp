#include "sound/legacy_sound_loader.h"

#include <bit>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "sound/legacy_sound_stream.h"

namespace kestal {
namespace {

// Both builds (x86-64 and wasm32) are little-endian: WAV samples pass through as they are
// and the big-endian 16-bit samples of a .snd file are swapped.
static_assert(std::endian::native == std::endian::little);

using Error = SoundLoadError;

constexpr std::uint32_t tag(const char (&name)[5]) {
  return static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
         static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3]);
}

enum class Coding { Linear, Signed8, BigEndian16, MuLaw, ALaw };

struct Samples {
  SampleBlock data;
  std::size_t length = 0;
  std::int32_t channels = 0;
  std::int32_t bitsPerSample = 0;
  // The library keeps the rate as a float, which rounds rates above 2^24.
  float frequency = 0.0f;
};

std::int16_t muLawToLinear(std::uint8_t byte) {
  static constexpr int BASE[8] = {0, 132, 396, 924, 1980, 4092, 8316, 16764};
  const int bits = static_cast<std::uint8_t>(~byte);
  const int exponent = (bits >> 4) & 0x07;
  const int magnitude = BASE[exponent] + ((bits & 0x0F) << (exponent + 3));
  return static_cast<std::int16_t>((bits & 0x80) != 0 ? -magnitude : magnitude);
}

std::int16_t aLawToLinear(std::uint8_t byte) {
  const int bits = byte ^ 0x55;
  const int segment = (bits & 0x70) >> 4;
  int magnitude = (bits & 0x0F) << 4;
  magnitude = segment == 0 ? magnitude + 8 : (magnitude + 0x108) << (segment - 1);
  return static_cast<std::int16_t>((bits & 0x80) != 0 ? magnitude : -magnitude);
}

bool widen(LegacySoundStream& file, Samples& samples, std::int16_t (*toLinear)(std::uint8_t)) {
  SampleBlock wide = file.allocate(samples.length * 2);
  if (!wide) return false;
  for (std::size_t i = 0; i < samples.length; ++i) {
    const std::int16_t value = toLinear(samples.data[i]);
    std::memcpy(wide.get() + 2 * i, &value, sizeof value);
  }
  samples.data = std::move(wide);
  samples.length *= 2;
  return true;
}

bool decode(LegacySoundStream& file, Samples& samples, Coding coding) {
  unsigned char* bytes = samples.data.get();
  switch (coding) {
    case Coding::Linear:
      return true;
    case Coding::Signed8:
      for (std::size_t i = 0; i < samples.length; ++i) bytes[i] ^= 0x80;
      return true;
    case Coding::BigEndian16:
      // A trailing odd byte stays where it is.
      for (std::size_t i = 0; i + 1 < samples.length; i += 2) std::swap(bytes[i], bytes[i + 1]);
      return true;
    case Coding::MuLaw:
      return widen(file, samples, muLawToLinear);
    case Coding::ALaw:
      return widen(file, samples, aLawToLinear);
  }
  return false;
}

std::optional<Samples> readSamples(LegacySoundStream& file, std::size_t length,
                                   std::int32_t channels, std::int32_t bitsPerSample,
                                   float frequency, Coding coding) {
  Samples samples{file.readBlock(length), length, channels, bitsPerSample, frequency};
  if (!samples.data || !decode(file, samples, coding)) return std::nullopt;
  return samples;
}

// The fields of a WAVE "fmt " chunk the loader uses.
struct WaveFormat {
  bool seen = false;
  std::uint16_t channels = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint32_t frequency = 0;
  Coding coding = Coding::Linear;
};

bool readWaveFormat(LegacySoundStream& file, std::uint32_t chunkLength, WaveFormat& format) {
  format.seen = true;
  if (chunkLength < 16) return file.fail(Error::CorruptOrTruncatedData);
  std::uint16_t audioFormat = 0;
  std::uint16_t blockAlign = 0;
  std::uint32_t byteRate = 0;
  if (!file.readLittle16(audioFormat) || !file.readLittle16(format.channels) ||
      !file.readLittle32(format.frequency) || !file.readLittle32(byteRate) ||
      !file.readLittle16(blockAlign) || !file.readLittle16(format.bitsPerSample) ||
      !file.skip(chunkLength - 16)) {
    return false;
  }
  switch (audioFormat) {
    case 1:  // PCM
      format.coding = Coding::Linear;
      return true;
    case 7:  // mu-law; the library doubles the stated bits, whatever they are
      format.bitsPerSample = static_cast<std::uint16_t>(format.bitsPerSample * 2);
      format.coding = Coding::MuLaw;
      return true;
    default:  // the extensible tag 0xFFFE among them
      return file.fail(Error::UnsupportedFileSubtype);
  }
}

// Chunks in any order up to the first "data" chunk, which must follow a "fmt " chunk; the
// RIFF length is never looked at, and odd chunk lengths are padded unless the file ends.
std::optional<Samples> loadWave(LegacySoundStream& file) {
  std::uint32_t riffLength = 0;
  std::uint32_t riffType = 0;
  if (!file.readLittle32(riffLength) || !file.readBig32(riffType)) return std::nullopt;
  if (riffType != tag("WAVE")) {
    file.fail(Error::UnsupportedFileSubtype);
    return std::nullopt;
  }
  WaveFormat format;
  for (;;) {
    std::uint32_t chunkType = 0;
    std::uint32_t chunkLength = 0;
    if (!file.readBig32(chunkType) || !file.readLittle32(chunkLength)) return std::nullopt;
    if (chunkType == tag("data")) {
      if (!format.seen) {
        file.fail(Error::CorruptOrTruncatedData);
        return std::nullopt;
      }
      return readSamples(file, chunkLength, format.channels, format.bitsPerSample,
                         static_cast<float>(format.frequency), format.coding);
    }
    const bool read = chunkType == tag("fmt ") ? readWaveFormat(file, chunkLength, format)
                                               : file.skip(chunkLength);
    if (!read) return std::nullopt;
    if ((chunkLength & 1) != 0 && !file.atEnd() && !file.skip(1)) return std::nullopt;
  }
}

// A Sun/NeXT file after its ".snd" magic: five big-endian words, then the samples at the
// stated offset.
std::optional<Samples> loadSnd(LegacySoundStream& file) {
  std::int32_t dataOffset = 0;
  std::int32_t length = 0;
  std::int32_t encoding = 0;
  std::int32_t frequency = 0;
  std::int32_t channels = 0;
  if (!file.readBig32(dataOffset) || !file.readBig32(length) || !file.readBig32(encoding) ||
      !file.readBig32(frequency) || !file.readBig32(channels)) {
    return std::nullopt;
  }
  if (length == -1) {
    // "Unknown length": the library takes the whole file's size less 24 and the offset,
    // which counts the header twice; kept, in 32-bit arithmetic as the library ends up.
    length = static_cast<std::int32_t>(static_cast<std::uint32_t>(file.size()) - 24u -
                                       static_cast<std::uint32_t>(dataOffset));
  }
  if (!(dataOffset >= 24 && length > 0 && frequency >= 1 && channels >= 1)) {
    file.fail(Error::CorruptOrTruncatedData);
    return std::nullopt;
  }
  if (!file.skip(static_cast<std::size_t>(dataOffset - 24))) return std::nullopt;
  Coding coding = Coding::Linear;
  std::int32_t bitsPerSample = 16;
  switch (encoding) {
    case 1:
      coding = Coding::MuLaw;
      break;
    case 2:
      coding = Coding::Signed8;
      bitsPerSample = 8;
      break;
    case 3:
      coding = Coding::BigEndian16;
      break;
    case 27:
      coding = Coding::ALaw;
      break;
    default:
      file.fail(Error::UnsupportedFileSubtype);
      return std::nullopt;
  }
  return readSamples(file, static_cast<std::size_t>(length), channels, bitsPerSample,
                     static_cast<float>(frequency), coding);
}

bool hasRawSuffix(const char* fileName) {
  const std::size_t length = std::strlen(fileName);
  if (length < 4) return false;
  const char* suffix = fileName + length - 4;
  for (int i = 0; i < 4; ++i) {
    if (std::tolower(static_cast<unsigned char>(suffix[i])) != ".raw"[i]) return false;
  }
  return true;
}

std::optional<Samples> loadFile(LegacySoundStream& file, const char* fileName) {
  // Raw files have no magic number: the name decides, before a byte is read.
  if (hasRawSuffix(fileName)) return readSamples(file, file.size(), 1, 8, 8000.0f, Coding::Linear);
  std::uint32_t magic = 0;
  if (!file.readBig32(magic)) return std::nullopt;
  if (magic == tag("RIFF")) return loadWave(file);
  if (magic == tag(".snd")) return loadSnd(file);
  file.fail(Error::UnsupportedFileType);
  return std::nullopt;
}

std::optional<ALenum> formatOf(const Samples& samples) {
  const bool eightBit = samples.bitsPerSample == 8;
  if (!eightBit && samples.bitsPerSample != 16) return std::nullopt;
  if (samples.channels == 1) return eightBit ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  if (samples.channels == 2) return eightBit ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
  return std::nullopt;
}

// The library's float-to-int cast as x86 performs it: out of range gives INT32_MIN. Spelt
// out so that it is defined behaviour, and the same in the browser.
ALsizei wholeFrequency(float frequency) {
  if (frequency >= 2147483648.0f) return INT32_MIN;
  return static_cast<ALsizei>(frequency);
}

}  // namespace

SoundLoadError loadLegacySoundFile(const char* fileName, ALenum* format, ALvoid** data,
                                   ALsizei* size, ALsizei* frequency, ALboolean* loop) {
  *data = nullptr;
  LegacySoundStream file;
  if (!file.open(fileName)) return file.error();
  std::optional<Samples> samples = loadFile(file, fileName);
  if (!samples) return file.error();
  const std::optional<ALenum> alFormat = formatOf(*samples);
  if (!alFormat) return Error::UnsupportedFileSubtype;

  if (size != nullptr) *size = static_cast<ALsizei>(samples->length);
  if (format != nullptr) *format = *alFormat;
  if (frequency != nullptr) *frequency = wholeFrequency(samples->frequency);
  if (loop != nullptr) *loop = AL_FALSE;
  *data = samples->data.release();
  return Error::None;
}

}  // namespace kestal
