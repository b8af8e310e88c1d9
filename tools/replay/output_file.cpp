#include "tools/replay/output_file.h"

#include <cerrno>
#include <cstring>

namespace kestal::replay {

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

std::string OutputFile::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return "cannot create '" + path + "': " + std::strerror(errno);
  path_ = path;
  return {};
}

void OutputFile::write(const char* begin, const char* end) {
  if (file_ != nullptr) std::fwrite(begin, 1, static_cast<std::size_t>(end - begin), file_);
}

std::string OutputFile::finish() {
  if (file_ == nullptr) return {};
  const bool writeFailed = std::ferror(file_) != 0;
  const bool closeFailed = std::fclose(file_) != 0;
  file_ = nullptr;
  if (writeFailed || closeFailed) return "cannot write '" + path_ + "'";
  return {};
}

}  // namespace kestal::replay
