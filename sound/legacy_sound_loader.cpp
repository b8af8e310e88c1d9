#include "sound/legacy_sound_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace kestal {
namespace {

// Both builds (x86-64 and wasm32) are little-endian: WAV samples pass through as they are
// and the big-endian 16-bit samples of a .snd file are swapped.
static_assert(std::endian::native == std::endian::little);

using Error = SoundLoadError;

struct FreeBlock {
  void operator()(unsigned char* block) const { std::free(block); }
};
using Block = std::unique_ptr<unsigned char[], FreeBlock>;

constexpr std::uint32_t tag(const char (&name)[5]) {
  return static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
         static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3]);
}

// An open file read the way the library reads it: its size taken from stat before opening,
// a short read is corrupt data unless the stream reports an I/O error, and the first error
// of a load is the one reported.
class SoundFile {
 public:
  SoundFile() = default;
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;
  ~SoundFile() {
    if (file_ != nullptr) std::fclose(file_);
  }

  bool open(const char* fileName) {
    struct stat status {};
    if (stat(fileName, &status) != 0) return fail(Error::IoError);
    file_ = std::fopen(fileName, "rb");
    if (file_ == nullptr) return fail(Error::IoError);
    size_ = static_cast<std::size_t>(status.st_size);
    return true;
  }

  bool fail(Error error) {
    if (error_ == Error::None) error_ = error;
    return false;
  }
  Error error() const { return error_; }
  std::size_t size() const { return size_; }

  bool read(void* into, std::size_t count) {
    const std::size_t got = std::fread(into, 1, count, file_);
    consumed_ += got;
    if (got == count) return true;
    return fail(std::ferror(file_) != 0 ? Error::IoError : Error::CorruptOrTruncatedData);
  }

  bool skip(std::size_t count) {
    unsigned char scratch[512];
    while (count > 0) {
      const std::size_t step = std::min(count, sizeof scratch);
      if (!read(scratch, step)) return false;
      count -= step;
    }
    return true;
  }

  bool atEnd() {
    const int next = std::fgetc(file_);
    if (next == EOF) return true;
    std::ungetc(next, file_);
    return false;
  }

  bool readLittle16(std::uint16_t& value) {
    unsigned char bytes[2];
    if (!read(bytes, sizeof bytes)) return false;
    value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
  }
  bool readLittle32(std::uint32_t& value) {
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes)) return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
  }
  bool readBig32(std::uint32_t& value) {
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes)) return false;
    value = static_cast<std::uint32_t>(bytes[0]) << 24 |
            static_cast<std::uint32_t>(bytes[1]) << 16 | static_cast<std::uint32_t>(bytes[2]) << 8 |
            static_cast<std::uint32_t>(bytes[3]);
    return true;
  }
  bool readBig32(std::int32_t& value) {
    std::uint32_t bits = 0;
    if (!readBig32(bits)) return false;
    value = static_cast<std::int32_t>(bits);
    return true;
  }

  Block allocate(std::size_t bytes) {
    Block block(static_cast<unsigned char*>(std::malloc(bytes == 0 ? 1 : bytes)));
    if (!block) fail(Error::OutOfMemory);
    return block;
  }

  // A block that claims more than the file still holds fails as the library's short read
  // does, but without first reserving all it claims: the browser would run out of memory.
  Block readBlock(std::size_t bytes) {
    if (bytes > size_ - std::min(consumed_, size_)) {
      fail(Error::CorruptOrTruncatedData);
      return nullptr;
    }
    Block block = allocate(bytes);
    if (block && !read(block.get(), bytes)) block.reset();
    return block;
  }

 private:
  std::FILE* file_ = nullptr;
  std::size_t size_ = 0;
  std::size_t consumed_ = 0;
  Error error_ = Error::None;
};

enum class Coding { Linear, Signed8, BigEndian16, MuLaw, ALaw };

struct Samples {
  Block data;
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

bool widen(SoundFile& file, Samples& samples, std::int16_t (*toLinear)(std::uint8_t)) {
  Block wide = file.allocate(samples.length * 2);
  if (!wide) return false;
  for (std::size_t i = 0; i < samples.length; ++i) {
    const std::int16_t value = toLinear(samples.data[i]);
    std::memcpy(wide.get() + 2 * i, &value, sizeof value);
  }
  samples.data = std::move(wide);
  samples.length *= 2;
  return true;
}

bool decode(SoundFile& file, Samples& samples, Coding coding) {
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

std::optional<Samples> readSamples(SoundFile& file, std::size_t length, std::int32_t channels,
                                   std::int32_t bitsPerSample, float frequency, Coding coding) {
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

bool readWaveFormat(SoundFile& file, std::uint32_t chunkLength, WaveFormat& format) {
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
std::optional<Samples> loadWave(SoundFile& file) {
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
std::optional<Samples> loadSnd(SoundFile& file) {
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

std::optional<Samples> loadFile(SoundFile& file, const char* fileName) {
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
  SoundFile file;
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
