#include "tests/hall/nginx_front.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace kestal::hall::test {
namespace {

namespace fs = std::filesystem;

int freeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

std::string readText(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// `text` with the line holding `line` replaced by `with` (lines of their own, indented alike).
std::string replaceLine(std::string text, const std::string& line, const std::string& with,
                        const fs::path& site) {
  const auto at = text.find(line);
  if (at == std::string::npos) {
    throw std::runtime_error(site.string() + " has no line \"" + line + "\" to set for the test");
  }
  const auto start = text.rfind('\n', at) + 1;
  const auto end = text.find('\n', at);
  return text.replace(start, end - start, with);
}

// The shipped site, set for the test: its instances, a loopback port, no IPv6.
std::string siteForTest(const fs::path& site, int port, const std::vector<int>& hallPorts) {
  std::string servers;
  for (int hallPort : hallPorts) {
    servers += (servers.empty() ? "" : "\n") + std::string("    server 127.0.0.1:") +
               std::to_string(hallPort) + ";";
  }
  std::string text = readText(site);
  text = replaceLine(text, "server 127.0.0.1:8081;", servers, site);
  text =
      replaceLine(text, "listen 80;", "    listen 127.0.0.1:" + std::to_string(port) + ";", site);
  return replaceLine(text, "listen [::]:80;", "", site);
}

void writeConfig(const fs::path& file, const fs::path& directory, const std::string& site) {
  std::ofstream config(file);
  const std::string dir = directory.string();
  // As root, nginx would hand its workers to "nobody", who cannot write the test's folder.
  if (geteuid() == 0) config << "user root;\n";
  config << "daemon off;\nworker_processes 1;\npid " << dir << "/nginx.pid;\n"
         << "error_log " << dir << "/error.log;\nevents { worker_connections 256; }\nhttp {\n"
         << "  access_log off;\n";
  for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
    config << "  " << temp << "_temp_path " << dir << "/" << temp << ";\n";
  }
  config << site << "\n}\n";
}

}  // namespace

NginxFront::NginxFront(const fs::path& directory, const fs::path& site,
                       const std::vector<int>& hallPorts)
    : directory_(directory), port_(freeLoopbackPort()) {
  const fs::path config = directory / "nginx.conf";
  writeConfig(config, directory, siteForTest(site, port_, hallPorts));
  testsupport::Launch launch({"/usr/sbin/nginx", "-p", directory.string(), "-c", config.string()});
  launch.discardOutput = true;
  process_ = std::make_unique<testsupport::ChildProcess>(launch);
  for (int tries = 0; tries < 100 && !accepts(port_); ++tries) {
    if (!process_->running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!accepts(port_)) throw std::runtime_error("nginx did not start: " + errorLog());
}

std::string NginxFront::errorLog() const {
  return readText(directory_ / "error.log");
}

NginxFront::~NginxFront() {
  if (!process_->running()) return;
  process_->sendSignal(SIGTERM);
  process_->waitForExit(std::chrono::seconds(10));
}

}  // namespace kestal::hall::test
