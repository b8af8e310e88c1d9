// A file the replay writes as it goes, with errors kept until the end so that a full disk
// is reported once instead of on every frame.
#pragma once

#include <cstdio>
#include <string>

namespace kestal::replay {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates or truncates `path`; returns the problem, or "" on success.
  std::string open(const std::string& path);
  bool isOpen() const { return file_ != nullptr; }
  void write(const char* begin, const char* end);
  // Flushes and closes; returns the problem with any write so far, or "".
  std::string finish();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

}  // namespace kestal::replay
