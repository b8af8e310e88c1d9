#include "hall/http/hall_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "hall/http/http_connection.h"
#include "hall/http/server_core.h"

namespace kestal::hall {
namespace {

namespace net = boost::asio;
using tcp = net::ip::tcp;
using namespace std::chrono_literals;

// Once stopping, answers under way get this long to be written.
constexpr auto kDrainTime = 2s;
// After the process runs out of descriptors, accepting waits this long before it tries again.
constexpr auto kAcceptPause = 100ms;

// Sent as it is, at once, to a connection beyond the limit; then it is closed.
const std::string kTooManyConnections = [] {
  const std::string body =
      "{\"error\":\"The hall has too many connections open; please try again shortly.\"}";
  return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json; "
         "charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) +
         "\r\nRetry-After: 5\r\nX-Content-Type-Options: nosniff\r\nCache-Control: "
         "no-store\r\nConnection: close\r\n\r\n" +
         body;
}();

}  // namespace

struct HallServer::Impl {
  Impl(HallServerOptions givenOptions, Store& store, VerifierPool& pool, IdentifyFunction identify)
      : options(std::move(givenOptions)),
        limiter(options.ratePerMinute),
        hall{options, store, pool, limiter, std::move(identify)},
        // A submission holds its thread while it waits on the pool; reads take moments.
        answering(pool.workers() + pool.queueLimit() + options.spareThreads,
                  pool.workers() + pool.queueLimit() + options.spareThreads),
        core{options, hall, answering, checkingHealth, io.get_executor()} {}

  void accept();
  void onAccepted(boost::system::error_code error, tcp::socket socket);
  bool makeRoom();
  std::vector<std::shared_ptr<HttpConnection>> connections();
  void beginStop();
  void drain(std::chrono::steady_clock::time_point until);

  HallServerOptions options;
  RateLimiter limiter;
  HallContext hall;
  // Declared before the answering threads, so that their last answers are posted to it.
  net::io_context io{1};
  WorkQueue answering;
  WorkQueue checkingHealth{1, 16};
  ServerCore core;
  tcp::acceptor acceptor{io};
  net::steady_timer timer{io};
};

void HallServer::Impl::accept() {
  acceptor.async_accept([this](boost::system::error_code error, tcp::socket socket) {
    onAccepted(error, std::move(socket));
  });
}

void HallServer::Impl::onAccepted(boost::system::error_code error, tcp::socket socket) {
  if (!acceptor.is_open()) return;
  if (error) {
    // Out of descriptors, or a connection gone before it was taken: try again shortly.
    std::cerr << "kestal-hall: cannot accept a connection: " << error.message() << std::endl;
    timer.expires_after(kAcceptPause);
    timer.async_wait([this](boost::system::error_code waited) {
      if (!waited) accept();
    });
    return;
  }
  if (!makeRoom()) {
    boost::system::error_code ignored;
    socket.non_blocking(true, ignored);
    socket.send(net::buffer(kTooManyConnections), 0, ignored);
    socket.close(ignored);
  } else {
    std::make_shared<HttpConnection>(core, std::move(socket))->start();
  }
  accept();
}

// At the limit, the connection that has waited longest for a request it has not sent whole
// makes room for the new one: clients that connect and say nothing cannot keep others out.
bool HallServer::Impl::makeRoom() {
  {
    std::lock_guard lock(core.connectionsMutex);
    if (core.openConnections < options.maxConnections) return true;
  }
  std::shared_ptr<HttpConnection> oldest;
  std::chrono::steady_clock::time_point oldestSince{};
  for (const auto& connection : connections()) {
    const auto since = connection->readingSince();
    if (since && (!oldest || *since < oldestSince)) {
      oldest = connection;
      oldestSince = *since;
    }
  }
  if (!oldest) return false;
  oldest->close();
  return true;
}

// Those still alive: one may be ending on an answering thread meanwhile.
std::vector<std::shared_ptr<HttpConnection>> HallServer::Impl::connections() {
  std::vector<std::shared_ptr<HttpConnection>> alive;
  std::lock_guard lock(core.connectionsMutex);
  alive.reserve(core.connections.size());
  for (HttpConnection* connection : core.connections) {
    if (auto held = connection->weak_from_this().lock()) alive.push_back(std::move(held));
  }
  return alive;
}

void HallServer::Impl::beginStop() {
  if (core.stopping.exchange(true)) return;
  boost::system::error_code ignored;
  acceptor.close(ignored);
  timer.cancel();
  for (const auto& connection : connections()) connection->stopReading();
  drain(std::chrono::steady_clock::now() + kDrainTime);
}

// Until the last answer under way is written, or the drain time is over.
void HallServer::Impl::drain(std::chrono::steady_clock::time_point until) {
  {
    std::lock_guard lock(core.connectionsMutex);
    if (core.connections.empty()) return;
  }
  if (std::chrono::steady_clock::now() >= until) {
    for (const auto& connection : connections()) connection->close();
    io.stop();
    return;
  }
  timer.expires_after(20ms);
  timer.async_wait([this, until](boost::system::error_code) { drain(until); });
}

HallServer::HallServer(HallServerOptions options, Store& store, VerifierPool& pool,
                       IdentifyFunction identify)
    : impl_(std::make_unique<Impl>(std::move(options), store, pool, std::move(identify))) {}

HallServer::~HallServer() = default;

std::optional<int> HallServer::bind() {
  Impl& impl = *impl_;
  boost::system::error_code error;
  tcp::resolver resolver(impl.io);
  const auto found =
      resolver.resolve(impl.options.host, std::to_string(impl.options.port),
                       tcp::resolver::passive | tcp::resolver::numeric_service, error);
  if (error || found.empty()) return std::nullopt;
  const tcp::endpoint endpoint = *found.begin();
  // SO_REUSEADDR only: a port another server holds must be an error, not shared.
  impl.acceptor.open(endpoint.protocol(), error);
  if (!error) impl.acceptor.set_option(tcp::acceptor::reuse_address(true), error);
  if (!error) impl.acceptor.bind(endpoint, error);
  if (!error) impl.acceptor.listen(net::socket_base::max_listen_connections, error);
  if (error) {
    impl.acceptor.close(error);
    return std::nullopt;
  }
  return impl.acceptor.local_endpoint().port();
}

bool HallServer::serve() {
  Impl& impl = *impl_;
  if (!impl.acceptor.is_open()) return false;
  // A stop asked for before is among the handlers run first.
  impl.accept();
  impl.io.run();
  return true;
}

void HallServer::stop() {
  net::post(impl_->io, [impl = impl_.get()] { impl->beginStop(); });
}

}  // namespace kestal::hall
