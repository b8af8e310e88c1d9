// Debian's nginx in front of several kestal-hall instances with the site the package ships
// (packaging/hall/nginx-site), its upstream naming the test's instances and its server
// listening on a free loopback port: one address for the players, requests spread over the
// instances, and a request an instance did not answer passed on to the next (the same
// recording twice makes one entry, so even a submission may be passed on).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace kestal::hall::test {

class NginxFront {
 public:
  // Throws std::runtime_error with nginx's own words when it does not start, and when the
  // site no longer has the lines this puts the test's own in place of.
  NginxFront(const std::filesystem::path& directory, const std::filesystem::path& site,
             const std::vector<int>& hallPorts);
  // Asks nginx to stop, so that its workers go with it (a master killed outright leaves
  // them behind).
  ~NginxFront();
  NginxFront(const NginxFront&) = delete;
  NginxFront& operator=(const NginxFront&) = delete;
  int port() const { return port_; }
  // What nginx logged of its upstreams and errors.
  std::string errorLog() const;

 private:
  std::filesystem::path directory_;
  int port_ = 0;
  std::unique_ptr<testsupport::ChildProcess> process_;
};

}  // namespace kestal::hall::test
