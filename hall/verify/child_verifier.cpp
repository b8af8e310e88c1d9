#include "hall/verify/child_verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <mutex>

namespace kestal::hall {
namespace {

constexpr std::size_t OUTPUT_MAX = 1u << 20;

// How a child that never reached the program says what went wrong before it.
constexpr int EXIT_NO_STANDARD_DESCRIPTORS = 121;
constexpr int EXIT_NO_MEMORY_LIMIT = 122;
constexpr int EXIT_NO_PROGRAM = 127;

// The address and thread sanitizers reserve terabytes of address space up front: a sanitized
// build cannot bound its children's. (g++ says so with macros, clang with features.)
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTAL_SANITIZED_ADDRESS_SPACE 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || \
    defined(KESTAL_SANITIZED_ADDRESS_SPACE)
constexpr bool LIMIT_ADDRESS_SPACE = false;
#else
constexpr bool LIMIT_ADDRESS_SPACE = true;
#endif

Verification failed() {
  return verificationFromJson("");
}

Verification stopping() {
  Verification verification;
  verification.status = VerificationStatus::Unavailable;
  verification.error = "The server is stopping; please submit the recording again shortly.";
  return verification;
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
    closeRead();
    closeWrite();
  }
  void closeRead() {
    if (read >= 0) ::close(read);
    read = -1;
  }
  void closeWrite() {
    if (write >= 0) ::close(write);
    write = -1;
  }
};

// Between fork and exec only async-signal-safe calls: everything is prepared before. Every
// descriptor but the three standard ones is closed, whatever the server had open (a client's
// connection accepted without close-on-exec would otherwise stay open as long as the child).
[[noreturn]] void becomeChild(const Pipe& input, const Pipe& output, const ChildLimits& limits,
                              char* const* argv, int openMax) {
  if (dup2(input.read, STDIN_FILENO) < 0 || dup2(output.write, STDOUT_FILENO) < 0) {
    _exit(EXIT_NO_STANDARD_DESCRIPTORS);
  }
  if (close_range(3, ~0u, 0) != 0) {
    for (int fd = 3; fd < openMax; ++fd) close(fd);
  }
  const rlimit memory{limits.memoryBytes, limits.memoryBytes};
  if (LIMIT_ADDRESS_SPACE && setrlimit(RLIMIT_AS, &memory) != 0) _exit(EXIT_NO_MEMORY_LIMIT);
  execv(limits.program.c_str(), argv);
  _exit(EXIT_NO_PROGRAM);
}

// Why a child ended without an answer, for the server's log; nothing for a child that was
// killed or exited on its own.
const char* childFault(int status) {
  if (!WIFEXITED(status)) return nullptr;
  switch (WEXITSTATUS(status)) {
    case EXIT_NO_STANDARD_DESCRIPTORS:
      return "could not set up its standard input and output";
    case EXIT_NO_MEMORY_LIMIT:
      return "could not limit its memory";
    case EXIT_NO_PROGRAM:
      return "could not start the program";
    default:
      return nullptr;
  }
}

enum class Exchange { Answered, Overran, Stopped };

// Writes the script and reads the answer in one loop, against one deadline: a child that
// stops reading holds nothing longer than one that stops answering.
Exchange exchange(Pipe& input, Pipe& output, const std::string& script,
                  std::chrono::steady_clock::time_point deadline, int stop, std::string& answer) {
  std::array<char, 65536> buffer;
  std::size_t written = 0;
  if (script.empty()) input.closeWrite();
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Exchange::Overran;
    std::array<pollfd, 3> waiting{
        {{output.read, POLLIN, 0}, {input.write, POLLOUT, 0}, {stop, POLLIN, 0}}};
    const int ready = poll(waiting.data(), waiting.size(), static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Exchange::Overran;
    if (waiting[2].revents != 0) return Exchange::Stopped;
    if (waiting[1].revents != 0) {
      const ssize_t n = ::write(input.write, script.data() + written, script.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      // Written whole, or the child is gone (its status tells why): it reads no more.
      if (written == script.size() || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        input.closeWrite();
      }
    }
    if (waiting[0].revents != 0) {
      const ssize_t n = ::read(output.read, buffer.data(), buffer.size());
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return Exchange::Answered;
      if (answer.size() + static_cast<std::size_t>(n) > OUTPUT_MAX) return Exchange::Overran;
      answer.append(buffer.data(), static_cast<std::size_t>(n));
    }
  }
}

}  // namespace

bool childMemoryIsBounded() {
  return LIMIT_ADDRESS_SPACE;
}

Verification verifyInChild(const std::string& script, const ChildLimits& limits, int stop) {
  // A child that dies early must not take the server with it through a broken pipe.
  static std::once_flag ignorePipes;
  std::call_once(ignorePipes, [] { signal(SIGPIPE, SIG_IGN); });

  const auto deadline = std::chrono::steady_clock::now() + limits.time;
  std::string program = limits.program, flag = "--verify-child";
  char* argv[] = {program.data(), flag.data(), nullptr};
  const int openMax = static_cast<int>(sysconf(_SC_OPEN_MAX));
  Pipe input, output;
  if (!input.open() || !output.open()) {
    input.close();
    return failed();
  }
  const pid_t pid = fork();
  if (pid == 0) becomeChild(input, output, limits, argv, openMax);
  input.closeRead();
  output.closeWrite();
  if (pid < 0) {
    input.close();
    output.close();
    return failed();
  }
  fcntl(input.write, F_SETFL, O_NONBLOCK);
  std::string answer;
  const Exchange ended = exchange(input, output, script, deadline, stop, answer);
  input.close();
  output.close();
  if (ended != Exchange::Answered) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (ended == Exchange::Stopped) return stopping();
  if (const char* fault = childFault(status)) {
    std::fprintf(stderr, "kestal-hall: a verification child %s (status %d)\n", fault,
                 WEXITSTATUS(status));
  }
  if (ended != Exchange::Answered || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return failed();
  }
  return verificationFromJson(answer);
}

}  // namespace kestal::hall
