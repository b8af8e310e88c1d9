#include "hall/verify/child_verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <mutex>

namespace kestal::hall {
namespace {

constexpr std::size_t OUTPUT_MAX = 1u << 20;

// AddressSanitizer reserves terabytes of address space up front: a sanitized build cannot
// bound its children's. (g++ says so with a macro, clang with a feature.)
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTAL_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(KESTAL_ADDRESS_SANITIZER)
constexpr bool LIMIT_ADDRESS_SPACE = false;
#else
constexpr bool LIMIT_ADDRESS_SPACE = true;
#endif

Verification failed() {
  return verificationFromJson("");
}

struct Pipe {
  int read = -1, write = -1;
  bool open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
  void close() {
    if (read >= 0) ::close(read);
    if (write >= 0) ::close(write);
    read = write = -1;
  }
};

// Between fork and exec only async-signal-safe calls: everything is prepared before.
[[noreturn]] void becomeChild(const Pipe& input, const Pipe& output, const ChildLimits& limits,
                              char* const* argv) {
  dup2(input.read, STDIN_FILENO);
  dup2(output.write, STDOUT_FILENO);
  const rlimit memory{limits.memoryBytes, limits.memoryBytes};
  if (LIMIT_ADDRESS_SPACE) setrlimit(RLIMIT_AS, &memory);
  execv(limits.program.c_str(), argv);
  _exit(127);
}

bool writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // the child is gone: its status tells why
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// The child's output until it closes it, or false at the deadline.
bool readAll(int fd, std::chrono::steady_clock::time_point deadline, std::string& output) {
  std::array<char, 65536> buffer;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (output.size() + static_cast<std::size_t>(n) > OUTPUT_MAX) return false;
    output.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace

bool childMemoryIsBounded() {
  return LIMIT_ADDRESS_SPACE;
}

Verification verifyInChild(const std::string& script, const ChildLimits& limits) {
  // A child that dies early must not take the server with it through a broken pipe.
  static std::once_flag ignorePipes;
  std::call_once(ignorePipes, [] { signal(SIGPIPE, SIG_IGN); });

  const auto deadline = std::chrono::steady_clock::now() + limits.time;
  std::string program = limits.program, flag = "--verify-child";
  char* argv[] = {program.data(), flag.data(), nullptr};
  Pipe input, output;
  if (!input.open() || !output.open()) {
    input.close();
    return failed();
  }
  const pid_t pid = fork();
  if (pid == 0) becomeChild(input, output, limits, argv);
  ::close(input.read);
  ::close(output.write);
  input.read = output.write = -1;
  if (pid < 0) {
    input.close();
    output.close();
    return failed();
  }
  std::string answer;
  const bool wrote = writeAll(input.write, script);
  input.close();
  const bool complete = wrote && readAll(output.read, deadline, answer);
  output.close();
  if (!complete) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return failed();
  return verificationFromJson(answer);
}

}  // namespace kestal::hall
