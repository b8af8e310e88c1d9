// What the server's connections share: the options, the hall's state, the threads that
// answer, and the limits kept across all connections. Inside hall/http only.
#pragma once

#include <atomic>
#include <boost/asio/any_io_executor.hpp>
#include <cstddef>
#include <mutex>
#include <unordered_set>

#include "hall/http/hall_context.h"
#include "hall/server/work_queue.h"

namespace kestal::hall {

class HttpConnection;

struct ServerCore {
  ServerCore(const HallServerOptions& givenOptions, HallContext& givenHall, WorkQueue& workQueue,
             WorkQueue& healthQueue, boost::asio::any_io_executor executor)
      : options(givenOptions),
        hall(givenHall),
        answering(workQueue),
        checkingHealth(healthQueue),
        io(std::move(executor)) {}

  const HallServerOptions& options;
  HallContext& hall;
  WorkQueue& answering;
  // Health has a thread of its own: a crowd of submissions must not make it look ill.
  WorkQueue& checkingHealth;
  boost::asio::any_io_executor io;  // the one thread every connection's I/O runs on

  // Request bodies held now, all connections together (bounded by options.bodyBudget).
  std::atomic<std::size_t> bodyBytes = 0;
  std::atomic<bool> stopping = false;

  std::mutex connectionsMutex;
  std::unordered_set<HttpConnection*> connections;
  // Of those, the ones not closed yet (a closed one leaves once its last handler has run).
  std::size_t openConnections = 0;
};

}  // namespace kestal::hall
