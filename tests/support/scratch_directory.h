// A directory of a test's own, made empty under the temporary directory and removed with
// everything in it when the test is done with it.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class ScratchDirectory {
 public:
  // `name` says whose it is; a unique ending is added.
  explicit ScratchDirectory(const std::string& name = "kestal-test");
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
