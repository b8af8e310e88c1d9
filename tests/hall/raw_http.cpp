#include "tests/hall/raw_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kestal::hall::testing {

namespace {

// Headers and as many bytes as their Content-Length says.
bool holdsWholeAnswer(const std::string& received) {
  const auto end = received.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  const auto length = received.find("Content-Length: ");
  const std::size_t body = length < end ? std::stoul(received.substr(length + 16)) : 0;
  return received.size() >= end + 4 + body;
}

}  // namespace

RawExchange exchangeRaw(int port, const std::string& request, bool untilClosed) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    throw std::runtime_error("cannot connect to the test hall");
  }
  const timeval wait{20, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  // The server may answer and close before all is sent; what it said is still there to read.
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  RawExchange exchange;
  char buffer[4096];
  for (;;) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
      exchange.closedByServer = got == 0;
      break;
    }
    exchange.received.append(buffer, static_cast<std::size_t>(got));
    if (!untilClosed && holdsWholeAnswer(exchange.received)) break;
  }
  close(fd);
  return exchange;
}

int firstStatus(const std::string& received) {
  if (!received.starts_with("HTTP/1.1 ") || received.size() < 12) return 0;
  return std::stoi(received.substr(9, 3));
}

}  // namespace kestal::hall::testing
