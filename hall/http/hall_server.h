// The hall's HTTP server: cpp-httplib configured with the hall's routes, limits and headers.
#pragma once

#include <memory>
#include <optional>

#include "hall/http/hall_context.h"

namespace kestal::hall {

class HallServer {
 public:
  HallServer(HallServerOptions options, Store& store, VerifierPool& pool);
  ~HallServer();
  HallServer(const HallServer&) = delete;
  HallServer& operator=(const HallServer&) = delete;

  // The port now bound (the one chosen when options.port is 0), or nullopt.
  std::optional<int> bind();
  // Serves on the bound port until stop(); false when it could not.
  bool serve();
  // Any thread, any time, also before serve().
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestal::hall
