#include "sound/legacy_sound_stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace kestal {

using Error = SoundLoadError;

void FreeBlock::operator()(unsigned char* block) const {
  std::free(block);
}

LegacySoundStream::~LegacySoundStream() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LegacySoundStream::open(const char* fileName) {
  struct stat status {};
  if (stat(fileName, &status) != 0) return fail(Error::IoError);
  file_ = std::fopen(fileName, "rb");
  if (file_ == nullptr) return fail(Error::IoError);
  size_ = static_cast<std::size_t>(status.st_size);
  return true;
}

bool LegacySoundStream::fail(Error error) {
  if (error_ == Error::None) error_ = error;
  return false;
}

bool LegacySoundStream::read(void* into, std::size_t count) {
  const std::size_t got = std::fread(into, 1, count, file_);
  consumed_ += got;
  if (got == count) return true;
  return fail(std::ferror(file_) != 0 ? Error::IoError : Error::CorruptOrTruncatedData);
}

bool LegacySoundStream::skip(std::size_t count) {
  unsigned char scratch[512];
  while (count > 0) {
    const std::size_t step = std::min(count, sizeof scratch);
    if (!read(scratch, step)) return false;
    count -= step;
  }
  return true;
}

bool LegacySoundStream::atEnd() {
  const int next = std::fgetc(file_);
  if (next == EOF) return true;
  std::ungetc(next, file_);
  return false;
}

bool LegacySoundStream::readLittle16(std::uint16_t& value) {
  unsigned char bytes[2];
  if (!read(bytes, sizeof bytes)) return false;
  value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
  return true;
}

bool LegacySoundStream::readLittle32(std::uint32_t& value) {
  unsigned char bytes[4];
  if (!read(bytes, sizeof bytes)) return false;
  value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
          static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  return true;
}

bool LegacySoundStream::readBig32(std::uint32_t& value) {
  unsigned char bytes[4];
  if (!read(bytes, sizeof bytes)) return false;
  value = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
          static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
  return true;
}

bool LegacySoundStream::readBig32(std::int32_t& value) {
  std::uint32_t bits = 0;
  if (!readBig32(bits)) return false;
  value = static_cast<std::int32_t>(bits);
  return true;
}

SampleBlock LegacySoundStream::allocate(std::size_t bytes) {
  SampleBlock block(static_cast<unsigned char*>(std::malloc(bytes == 0 ? 1 : bytes)));
  if (!block) fail(Error::OutOfMemory);
  return block;
}

// A block that claims more than the file still holds fails as the library's short read
// does, but without first reserving all it claims: the browser would run out of memory.
SampleBlock LegacySoundStream::readBlock(std::size_t bytes) {
  if (bytes > size_ - std::min(consumed_, size_)) {
    fail(Error::CorruptOrTruncatedData);
    return nullptr;
  }
  SampleBlock block = allocate(bytes);
  if (block && !read(block.get(), bytes)) block.reset();
  return block;
}

}  // namespace kestal
