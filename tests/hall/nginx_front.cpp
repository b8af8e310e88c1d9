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

void writeConfig(const fs::path& file, const fs::path& directory, int port,
                 const std::vector<int>& hallPorts) {
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
  config << "  upstream halls {\n";
  for (int hallPort : hallPorts) config << "    server 127.0.0.1:" << hallPort << ";\n";
  config << "  }\n  server {\n    listen 127.0.0.1:" << port << ";\n"
         << "    client_max_body_size 9m;\n    location /api/ {\n"
         << "      proxy_pass http://halls;\n"
         << "      proxy_next_upstream error timeout non_idempotent;\n"
         << "      proxy_connect_timeout 2s;\n      proxy_read_timeout 120s;\n"
         << "      proxy_set_header Host $http_host;\n"
         << "      proxy_set_header X-Real-IP $remote_addr;\n    }\n  }\n}\n";
}

}  // namespace

NginxFront::NginxFront(const fs::path& directory, const std::vector<int>& hallPorts)
    : port_(freeLoopbackPort()) {
  const fs::path config = directory / "nginx.conf";
  writeConfig(config, directory, port_, hallPorts);
  testsupport::Launch launch({"/usr/sbin/nginx", "-p", directory.string(), "-c", config.string()});
  launch.discardOutput = true;
  process_ = std::make_unique<testsupport::ChildProcess>(launch);
  for (int tries = 0; tries < 100 && !accepts(port_); ++tries) {
    if (!process_->running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!accepts(port_)) {
    std::ifstream log(directory / "error.log");
    throw std::runtime_error("nginx did not start: " +
                             std::string(std::istreambuf_iterator<char>(log), {}));
  }
}

NginxFront::~NginxFront() {
  if (!process_->running()) return;
  process_->sendSignal(SIGTERM);
  process_->waitForExit(std::chrono::seconds(10));
}

}  // namespace kestal::hall::test
