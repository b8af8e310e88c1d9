#include "tests/sound/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace kestal::test {
namespace {

constexpr const char* OUT_FILE = ".child-stdout";
constexpr const char* ERR_FILE = ".child-stderr";

// Runs in the child before the body. The test runner has one thread when it forks, so
// ordinary library calls are safe here.
void prepareChild(const ChildSetup& setup) {
  if (chdir(setup.workingDirectory.c_str()) != 0) _exit(126);
  for (const auto& name : setup.unset) unsetenv(name.c_str());
  for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
  if (std::freopen(OUT_FILE, "w", stdout) == nullptr) _exit(126);
  if (std::freopen(ERR_FILE, "w", stderr) == nullptr) _exit(126);
}

ChildResult waitFor(pid_t child, const ChildSetup& setup) {
  ChildResult result;
  const auto deadline = std::chrono::steady_clock::now() + setup.timeout;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.out = readText(setup.workingDirectory / OUT_FILE);
  result.err = readText(setup.workingDirectory / ERR_FILE);
  return result;
}

}  // namespace

ChildResult runInChild(const ChildSetup& setup, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    prepareChild(setup);
    const int code = body();
    std::fflush(nullptr);
    _exit(code);
  }
  return waitFor(child, setup);
}

ChildResult runProgram(const ChildSetup& setup, const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    prepareChild(setup);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return waitFor(child, setup);
}

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestal-sound-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

}  // namespace kestal::test
