// Runs a piece of test code, or a program, in a child process with its own working
// directory and environment, so OpenAL's one-time configuration and any ending of the
// process stay out of the test runner.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestal::test {

struct ChildSetup {
  std::filesystem::path workingDirectory;
  std::vector<std::pair<std::string, std::string>> environment;  // set in the child
  std::vector<std::string> unset;                                // removed in the child
  std::chrono::seconds timeout{30};
};

struct ChildResult {
  bool exited = false;  // false: killed by a signal or by the timeout
  int exitCode = -1;
  std::string out;  // what it wrote on stdout
  std::string err;  // and on stderr
};

// `body` runs in the child; its return value is the exit code. The child ends with
// _exit, so no library shuts itself down behind the code's back.
ChildResult runInChild(const ChildSetup& setup, const std::function<int()>& body);

// Runs `program` with `arguments` the same way.
ChildResult runProgram(const ChildSetup& setup, const std::filesystem::path& program,
                       const std::vector<std::string>& arguments = {});

// A fresh directory under the system's temporary directory, removed with the object.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);

}  // namespace kestal::test
