#include "tests/robustness/child_program.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kestal::robustness {
namespace {

namespace fs = std::filesystem;

// Between fork and exec: only async-signal-safe calls, and _exit on any failure.
[[noreturn]] void execChild(const ProgramCall& call, const std::vector<char*>& argv,
                            const fs::path& outPath, const fs::path& errPath) {
  const fs::path input = call.standardInput.empty() ? fs::path("/dev/null") : call.standardInput;
  const int in = open(input.c_str(), O_RDONLY);
  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
  if (!call.workingDirectory.empty() && chdir(call.workingDirectory.c_str()) != 0) _exit(126);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ProgramResult runProgram(const ProgramCall& call) {
  if (call.arguments.empty()) throw std::invalid_argument("no program to run");
  ScratchDirectory outputs;
  const fs::path outPath = outputs / "stdout";
  const fs::path errPath = outputs / "stderr";
  std::vector<char*> argv;
  for (const std::string& argument : call.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The environment is changed in this process around the fork (a child may only make
  // async-signal-safe calls), and put back at once.
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  auto remember = [&](const std::string& name) {
    const char* value = std::getenv(name.c_str());
    saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  };
  for (const std::string& name : call.unsetEnvironment) {
    remember(name);
    unsetenv(name.c_str());
  }
  for (const auto& [name, value] : call.setEnvironment) {
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
  }
  const pid_t child = fork();
  if (child == 0) execChild(call, argv, outPath, errPath);
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
    if (it->second) {
      setenv(it->first.c_str(), it->second->c_str(), 1);
    } else {
      unsetenv(it->first.c_str());
    }
  }
  if (child < 0) throw std::runtime_error("fork failed");

  ProgramResult result;
  const auto deadline = std::chrono::steady_clock::now() + call.timeout;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exited = !result.timedOut && WIFEXITED(status);
  result.status = result.exited ? WEXITSTATUS(status) : -1;
  result.out = readWholeFile(outPath);
  result.err = readWholeFile(errPath);
  return result;
}

std::string readWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeWholeFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (fs::temp_directory_path() / "kestal-robustness-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace kestal::robustness
