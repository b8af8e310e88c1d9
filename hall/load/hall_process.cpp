#include "hall/load/hall_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kestal::hall::load {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view LISTENING = "kestal-hall: listening on http://";
constexpr auto START_TIMEOUT = 20s;

std::string readFrom(const std::filesystem::path& path, std::streamoff offset) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(offset);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::streamoff sizeOf(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::streamoff>(size);
}

// The port in "kestal-hall: listening on http://HOST:PORT (kind)".
std::optional<int> listeningPort(const std::string& log) {
  const std::size_t at = log.find(LISTENING);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t end = log.find_first_of(" \n", at + LISTENING.size());
  if (end == std::string::npos) return std::nullopt;
  const std::size_t colon = log.rfind(':', end);
  return std::stoi(log.substr(colon + 1, end - colon - 1));
}

int decodeStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

HallProcess::HallProcess(HallLaunch launch) : launch_(std::move(launch)) {
  start();
}

HallProcess::~HallProcess() {
  kill();
}

std::string HallProcess::output() const {
  return readFrom(launch_.log, logStart_);
}

void HallProcess::kill() {
  if (pid_ <= 0 || status_) return;
  ::kill(pid_, SIGKILL);
  waitForExit(10s);
}

void HallProcess::signal(int number) {
  if (pid_ > 0 && !status_) ::kill(pid_, number);
}

std::optional<int> HallProcess::waitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!status_) {
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      status_ = decodeStatus(status);
    } else if (ended < 0 || std::chrono::steady_clock::now() >= deadline) {
      break;
    } else {
      std::this_thread::sleep_for(5ms);
    }
  }
  return status_;
}

void HallProcess::start() {
  kill();
  logStart_ = sizeOf(launch_.log);
  std::vector<std::string> argv = {launch_.program};
  argv.insert(argv.end(), launch_.arguments.begin(), launch_.arguments.end());
  argv.insert(argv.end(), {"--listen", "127.0.0.1:0"});
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  const int log = open(launch_.log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (log < 0 || devNull < 0) throw std::runtime_error("cannot open " + launch_.log.string());
  status_.reset();
  pid_ = fork();
  if (pid_ == 0) {
    dup2(devNull, STDIN_FILENO);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  close(log);
  close(devNull);
  if (pid_ < 0) throw std::runtime_error("cannot start " + launch_.program);
  const auto deadline = std::chrono::steady_clock::now() + START_TIMEOUT;
  while (std::chrono::steady_clock::now() < deadline && !waitForExit(0ms)) {
    if (const auto port = listeningPort(output())) {
      port_ = *port;
      return;
    }
    std::this_thread::sleep_for(5ms);
  }
  kill();
  throw std::runtime_error(launch_.program + " did not listen: " + output().substr(0, 2000));
}

}  // namespace kestal::hall::load
