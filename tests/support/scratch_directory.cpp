#include "tests/support/scratch_directory.h"

#include <stdlib.h>

#include <stdexcept>

namespace testsupport {

ScratchDirectory::ScratchDirectory(const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch directory in " +
                             std::filesystem::temp_directory_path().string());
  }
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
