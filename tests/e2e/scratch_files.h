// Files the end-to-end tests make for the programs they run, and read back.
#pragma once

#include <filesystem>
#include <string>

namespace e2e {

// A fresh directory under the system's temporary directory, removed with the object.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& purpose);
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& text);

}  // namespace e2e
