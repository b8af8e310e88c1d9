#include "hall/load/loopback_clients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestal::hall::load {
namespace {

// A connection from `source`; -1 when it cannot be made.
int connectFrom(const std::string& source, int port, int timeoutSeconds) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const timeval wait{timeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, source.c_str(), &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool sendAll(int fd, const std::string& data) {
  for (std::size_t sent = 0; sent < data.size();) {
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string loopbackAddress(std::size_t index) {
  const std::size_t host = 1 + index;  // 127.0.1.1, ..., 127.0.1.255, 127.0.2.0, ...
  return "127.0." + std::to_string(1 + host / 256) + "." + std::to_string(host % 256);
}

StalledConnections::StalledConnections(int port, std::size_t count, std::size_t addresses) {
  const std::string head =
      "POST /api/entries HTTP/1.1\r\nHost: hall\r\nContent-Type: application/json\r\n"
      "Content-Length: 100000\r\n\r\n";
  for (std::size_t i = 0; i < count; ++i) {
    const int fd = connectFrom(loopbackAddress(i % addresses), port, 10);
    if (fd < 0) continue;
    sendAll(fd, head);
    fds_.push_back(fd);
  }
}

StalledConnections::~StalledConnections() {
  for (const int fd : fds_) close(fd);
}

LoopbackReply requestFrom(const std::string& source, int port, const std::string& method,
                          const std::string& path, const std::string& body, int timeoutSeconds) {
  const int fd = connectFrom(source, port, timeoutSeconds);
  if (fd < 0) return {};
  std::string request = method + " " + path + " HTTP/1.1\r\nHost: hall\r\nConnection: close\r\n";
  if (!body.empty() || method == "POST") {
    request +=
        "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  }
  request += "\r\n" + body;
  std::string received;
  if (sendAll(fd, request)) {
    char buffer[16384];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
  }
  close(fd);
  LoopbackReply reply;
  if (!received.starts_with("HTTP/1.1 ") || received.size() < 12) return reply;
  reply.status = std::stoi(received.substr(9, 3));
  const auto bodyStart = received.find("\r\n\r\n");
  if (bodyStart != std::string::npos) reply.body = received.substr(bodyStart + 4);
  return reply;
}

}  // namespace kestal::hall::load
