// Clients from many addresses of the loopback range (127.0.0.0/8), as players from many
// hosts would come: plain sockets, one request a connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestal::hall::load {

// 127.0.1.1 onwards: the address of client `index`, `count` addresses in turn.
std::string loopbackAddress(std::size_t index);

// Connections that each send the head of a submission announcing a body, and nothing more,
// held open until destroyed: clients that are slow, or pretend to be.
class StalledConnections {
 public:
  // `count` connections from `addresses` different addresses.
  StalledConnections(int port, std::size_t count, std::size_t addresses);
  ~StalledConnections();
  StalledConnections(const StalledConnections&) = delete;
  StalledConnections& operator=(const StalledConnections&) = delete;
  std::size_t open() const { return fds_.size(); }

 private:
  std::vector<int> fds_;
};

struct LoopbackReply {
  int status = 0;  // 0: no answer
  std::string body;
};

// One request from `source` to 127.0.0.1:port, answered within `timeoutSeconds`.
LoopbackReply requestFrom(const std::string& source, int port, const std::string& method,
                          const std::string& path, const std::string& body,
                          int timeoutSeconds = 10);

}  // namespace kestal::hall::load
