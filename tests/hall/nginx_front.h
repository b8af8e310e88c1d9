// Debian's nginx in front of several kestal-hall instances, as the README sets it up: one
// address for the players, requests spread over the instances, and a request an instance
// did not answer passed on to the next (the same recording twice makes one entry, so even a
// submission may be passed on).
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "tests/support/child_process.h"

namespace kestal::hall::test {

class NginxFront {
 public:
  // Throws std::runtime_error with nginx's own words when it does not start.
  NginxFront(const std::filesystem::path& directory, const std::vector<int>& hallPorts);
  // Asks nginx to stop, so that its workers go with it (a master killed outright leaves
  // them behind).
  ~NginxFront();
  NginxFront(const NginxFront&) = delete;
  NginxFront& operator=(const NginxFront&) = delete;
  int port() const { return port_; }

 private:
  int port_ = 0;
  std::unique_ptr<testsupport::ChildProcess> process_;
};

}  // namespace kestal::hall::test
