#include "bench/hall/load_server.h"

#include <chrono>
#include <fstream>
#include <optional>
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

}  // namespace

HallServer::HallServer(HallLaunch launch) : launch_(std::move(launch)) {
  start();
}

void HallServer::kill() {
  if (process_) process_->kill();
}

void HallServer::start() {
  kill();
  const std::streamoff logStart = sizeOf(launch_.log);
  std::vector<std::string> argv = {"sh",
                                   "-c",
                                   "log=$1; shift; exec \"$@\" >>\"$log\" 2>&1",
                                   "sh",
                                   launch_.log.string(),
                                   launch_.program};
  argv.insert(argv.end(), launch_.arguments.begin(), launch_.arguments.end());
  argv.insert(argv.end(), {"--listen", "127.0.0.1:0"});
  process_ =
      std::make_unique<testsupport::ChildProcess>(testsupport::Launch(argv, launch_.environment));
  const auto deadline = std::chrono::steady_clock::now() + START_TIMEOUT;
  while (std::chrono::steady_clock::now() < deadline && process_->running()) {
    if (const auto port = listeningPort(readFrom(launch_.log, logStart))) {
      port_ = *port;
      return;
    }
    std::this_thread::sleep_for(5ms);
  }
  process_->kill();
  throw std::runtime_error(launch_.program +
                           " did not listen: " + readFrom(launch_.log, logStart).substr(0, 2000));
}

}  // namespace kestal::hall::load
