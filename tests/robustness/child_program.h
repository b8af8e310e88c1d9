// Runs one of the project's programs as a child process, with a time limit, and collects
// what it printed.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kestal::robustness {

struct ProgramCall {
  std::vector<std::string> arguments;         // the program's path first
  std::vector<std::string> unsetEnvironment;  // removed first
  std::vector<std::pair<std::string, std::string>> setEnvironment;
  std::filesystem::path workingDirectory;  // empty: this process's
  std::filesystem::path standardInput;     // empty: /dev/null
  std::chrono::seconds timeout{600};
};

struct ProgramResult {
  bool exited = false;  // false: ended by a signal (sanitizers abort) or by the time limit
  bool timedOut = false;
  int status = -1;
  std::string out;
  std::string err;
};

ProgramResult runProgram(const ProgramCall& call);

std::string readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, const std::string& content);

// A fresh directory for one test's files, removed with the object.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kestal::robustness
