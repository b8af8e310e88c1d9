// A sound file read the way freealut reads one, so that a load fails where the library's
// does and with the same error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "sound/legacy_sound_loader.h"

namespace kestal {

struct FreeBlock {
  void operator()(unsigned char* block) const;
};
// Sample memory from std::malloc, as the legacy unloader frees it.
using SampleBlock = std::unique_ptr<unsigned char[], FreeBlock>;

// Its size is taken from stat before opening; a short read is corrupt data unless the
// stream reports an I/O error; the first error of a load is the one reported.
class LegacySoundStream {
 public:
  LegacySoundStream() = default;
  LegacySoundStream(const LegacySoundStream&) = delete;
  LegacySoundStream& operator=(const LegacySoundStream&) = delete;
  ~LegacySoundStream();

  bool open(const char* fileName);
  // Records `error` unless one is already recorded; returns false.
  bool fail(SoundLoadError error);
  SoundLoadError error() const { return error_; }
  std::size_t size() const { return size_; }

  bool read(void* into, std::size_t count);
  bool skip(std::size_t count);
  bool atEnd();
  bool readLittle16(std::uint16_t& value);
  bool readLittle32(std::uint32_t& value);
  bool readBig32(std::uint32_t& value);
  bool readBig32(std::int32_t& value);

  // Null, with the error recorded, when memory runs out.
  SampleBlock allocate(std::size_t bytes);
  // `bytes` bytes of the file in a block of their own.
  SampleBlock readBlock(std::size_t bytes);

 private:
  std::FILE* file_ = nullptr;
  std::size_t size_ = 0;
  std::size_t consumed_ = 0;
  SoundLoadError error_ = SoundLoadError::None;
};

}  // namespace kestal
