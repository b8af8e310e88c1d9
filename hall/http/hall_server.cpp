#include "hall/http/hall_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "hall/http/http_answer.h"
#include "hall/http/request_router.h"
#include "hall/http/submission_answer.h"

namespace kestal::hall {
namespace {

using httplib::Request;
using httplib::Response;

template <class Setter>
void setTimeout(std::chrono::milliseconds timeout, Setter set) {
  set(static_cast<time_t>(timeout.count() / 1000),
      static_cast<time_t>(timeout.count() % 1000 * 1000));
}

// httplib's own errors (a request it cannot parse, a body over the limit, an address no route
// takes) come without a body: they get the hall's JSON too.
void wordError(const Request&, Response& res) {
  if (res.body.empty()) answerError(res, res.status, defaultSentence(res.status));
}

void answerException(const Request&, Response& res, std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const StoreError& error) {
    std::cerr << "kestal-hall: " << error.what() << std::endl;
    res.set_header("Retry-After", "30");
    answerError(res, 503, "The hall's database cannot be reached now; please try again later.");
  } catch (const std::exception& error) {
    std::cerr << "kestal-hall: a request failed: " << error.what() << std::endl;
    answerError(res, 500, "The server met an error with this request.");
  } catch (...) {
    std::cerr << "kestal-hall: a request failed" << std::endl;
    answerError(res, 500, "The server met an error with this request.");
  }
}

}  // namespace

struct HallServer::Impl {
  Impl(HallServerOptions givenOptions, Store& store, VerifierPool& pool)
      : options(std::move(givenOptions)),
        limiter(options.ratePerMinute),
        hall{options, store, pool, limiter} {
    configure();
  }

  void configure();
  void readSubmission(const Request& req, Response& res, const httplib::ContentReader& read);

  HallServerOptions options;
  RateLimiter limiter;
  HallContext hall;
  httplib::Server server;
  std::atomic<bool> stopRequested = false;
  std::atomic<bool> serving = false;
  std::atomic<bool> finished = false;
};

void HallServer::Impl::configure() {
  // Every submission that may wait on the pool holds a connection's thread meanwhile.
  const std::size_t threads = hall.pool.workers() + hall.pool.queueLimit() + options.spareThreads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  setTimeout(options.readTimeout, [&](time_t s, time_t us) { server.set_read_timeout(s, us); });
  setTimeout(options.writeTimeout, [&](time_t s, time_t us) { server.set_write_timeout(s, us); });
  server.set_keep_alive_timeout(static_cast<time_t>(options.keepAliveTimeout.count()));
  server.set_keep_alive_max_count(options.keepAliveMaxCount);
  server.set_payload_max_length(options.bodyLimit);
  server.set_tcp_nodelay(true);
  // httplib's default adds SO_REUSEPORT, which lets a second server take the same port
  // silently; a port in use must be an error.
  server.set_socket_options([](socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_default_headers(
      {{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"}});

  server.set_pre_routing_handler(
      [this](const Request& req, Response& res) { return routeRequest(hall, req, res); });
  server.Post("/api/entries",
              [this](const Request& req, Response& res, const httplib::ContentReader& read) {
                readSubmission(req, res, read);
              });
  // A client that asks first is told before it sends a body that is too large.
  server.set_expect_100_continue_handler([this](const Request& req, Response& res) {
    if (req.get_header_value<uint64_t>("Content-Length") <= options.bodyLimit) return 100;
    answerError(res, 413, defaultSentence(413));
    return 413;
  });
  server.set_error_handler(wordError);
  server.set_exception_handler(answerException);
}

void HallServer::Impl::readSubmission(const Request& req, Response& res,
                                      const httplib::ContentReader& read) {
  if (res.status != -1) {
    // Answered before the body: it is read only so that the connection stays usable. httplib
    // reads a form through its form parser alone.
    const auto ignore = [](const char*, std::size_t) { return true; };
    if (req.is_multipart_form_data()) {
      read([](const httplib::MultipartFormData&) { return true; }, ignore);
    } else {
      read(ignore);
    }
    return;
  }
  std::string body;
  bool tooLarge = false;
  // A body sent in chunks has no length to check beforehand: what passes the limit is dropped.
  const bool complete = read([&](const char* data, std::size_t size) {
    tooLarge = tooLarge || body.size() + size > options.bodyLimit;
    if (tooLarge) {
      std::string().swap(body);
    } else {
      body.append(data, size);
    }
    return true;
  });
  if (tooLarge || res.status == 413) return answerError(res, 413, defaultSentence(413));
  if (!complete) return answerError(res, 400, "The request's body could not be read whole.");
  answerSubmission(hall, req, body, res);
}

HallServer::HallServer(HallServerOptions options, Store& store, VerifierPool& pool)
    : impl_(std::make_unique<Impl>(std::move(options), store, pool)) {}

HallServer::~HallServer() = default;

std::optional<int> HallServer::bind() {
  const std::string& host = impl_->options.host;
  const int port = impl_->options.port;
  if (port == 0) {
    const int chosen = impl_->server.bind_to_any_port(host);
    return chosen > 0 ? std::optional(chosen) : std::nullopt;
  }
  return impl_->server.bind_to_port(host, port) ? std::optional(port) : std::nullopt;
}

bool HallServer::serve() {
  return impl_->server.listen_after_bind();
}

void HallServer::stop() {
  impl_->server.stop();
}

}  // namespace kestal::hall
