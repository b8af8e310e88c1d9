#include "hall/http/http_connection.h"

#include <algorithm>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <exception>
#include <iostream>

#include "hall/http/http_answer.h"
#include "hall/store/store.h"
#include "hall/verify/verification.h"

namespace kestal::hall {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;

// A body gets readTimeout, and this long again for every 64 KiB it announces.
constexpr std::size_t kSlowestBodyBytesPerSecond = 64 << 10;
constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
// How long what a client still sends after its refusal is read and dropped.
constexpr auto kLingerTime = std::chrono::seconds(2);

bool isParseError(const beast::error_code& error) {
  return &error.category() == &http::make_error_code(http::error::bad_method).category() &&
         error != http::error::end_of_stream && error != http::error::partial_message;
}

// What went wrong while answering, in the hall's words: the database's absence is a 503 a
// client may retry; anything else a 500. The details go to the log, never to the client.
void answerException(std::exception_ptr thrown, HttpResponse& res) {
  res = {};
  try {
    std::rethrow_exception(thrown);
  } catch (const StoreError& error) {
    std::cerr << "kestal-hall: " << error.what() << std::endl;
    res.setHeader("Retry-After", "30");
    answerError(res, 503, kDatabaseUnreachable);
  } catch (const std::exception& error) {
    std::cerr << "kestal-hall: a request failed: " << error.what() << std::endl;
    answerError(res, 500, "The server met an error with this request.");
  } catch (...) {
    std::cerr << "kestal-hall: a request failed" << std::endl;
    answerError(res, 500, "The server met an error with this request.");
  }
}

// Every answering thread busy and the queue full: said at once.
HttpResponse tooBusy(const HallContext& hall, RouteKind route) {
  HttpResponse res;
  res.setHeader("Retry-After", "5");
  const std::string sentence = "The hall is too busy to answer now; please try again shortly.";
  if (route != RouteKind::Health) {
    answerError(res, 503, sentence);
    return res;
  }
  answerJson(res, 503,
             {{"status", "unavailable"},
              {"version", std::string(gameVersion())},
              {"database", std::string(hall.store.kind())},
              {"error", sentence}});
  return res;
}

}  // namespace

HttpConnection::HttpConnection(ServerCore& core, net::ip::tcp::socket socket)
    : core_(core), stream_(std::move(socket)), buffer_(core.options.headerLimit + (64 << 10)) {
  std::lock_guard lock(core_.connectionsMutex);
  core_.connections.insert(this);
  ++core_.openConnections;
}

HttpConnection::~HttpConnection() {
  releaseBody();
  std::lock_guard lock(core_.connectionsMutex);
  core_.connections.erase(this);
  if (!closed_) --core_.openConnections;
}

void HttpConnection::start() {
  beast::error_code ignored;
  const auto peer = stream_.socket().remote_endpoint(ignored);
  request_.remoteAddress = ignored ? std::string() : peer.address().to_string();
  readHead();
}

void HttpConnection::close() {
  {
    std::lock_guard lock(core_.connectionsMutex);
    if (!closed_) --core_.openConnections;
    closed_ = true;
    reading_ = false;
  }
  beast::error_code ignored;
  stream_.socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
  stream_.close();
}

void HttpConnection::stopReading() {
  if (reading_) close();
}

std::optional<std::chrono::steady_clock::time_point> HttpConnection::readingSince() const {
  if (!reading_) return std::nullopt;
  return readingSince_;
}

void HttpConnection::readHead() {
  reading_ = true;
  readingSince_ = Clock::now();
  if (core_.stopping) return close();
  const std::string remote = std::move(request_.remoteAddress);
  request_ = {};
  request_.remoteAddress = remote;
  routed_ = {};
  parser_.emplace();
  parser_->header_limit(static_cast<std::uint32_t>(core_.options.headerLimit));
  parser_->body_limit(core_.options.bodyLimit);
  // The first request has the read timeout; the next on a kept connection, the keep-alive one.
  stream_.expires_after(answered_ == 0 ? core_.options.readTimeout
                                       : core_.options.keepAliveTimeout);
  http::async_read_header(
      stream_, buffer_, *parser_,
      [self = shared_from_this()](beast::error_code error, std::size_t) { self->onHead(error); });
}

void HttpConnection::onHead(beast::error_code error) {
  if (error) return refuseRead(error);
  const auto& head = parser_->get();
  request_.method = std::string(head.method_string());
  for (const auto& field : head) {
    request_.headers.emplace(std::string(field.name_string()), std::string(field.value()));
  }
  keepAlive_ = head.keep_alive();
  head_ = head.method() == http::verb::head;
  if (!readTarget(head.target(), request_)) {
    HttpResponse bad;
    answerError(bad, 400, defaultSentence(400));
    return respond(std::move(bad), true);
  }
  routed_ = routeHead(core_.options, request_);
  if (parser_->is_done()) return answer();

  const auto length = parser_->content_length();
  const auto limit = core_.options.bodyLimit;
  if (length && *length > limit) {
    // Also asked first (Expect: 100-continue): refused before a byte of the body is sent.
    HttpResponse tooLarge;
    answerError(tooLarge, 413, defaultSentence(413));
    return respond(std::move(tooLarge), true);
  }
  // An answer decided already is not worth a body of unknown length.
  if (routed_.early.status != 0 && !length) return respond(routed_.early, true);
  bodyDeadline_ = Clock::now() + core_.options.readTimeout +
                  std::chrono::seconds(length.value_or(limit) / kSlowestBodyBytesPerSecond);
  if (beast::iequals(head[http::field::expect], "100-continue")) {
    stream_.expires_after(core_.options.writeTimeout);
    return net::async_write(stream_, net::buffer(kContinue.data(), kContinue.size()),
                            [self = shared_from_this()](beast::error_code written, std::size_t) {
                              if (written) return self->close();
                              self->readSomeBody();
                            });
  }
  readSomeBody();
}

void HttpConnection::readSomeBody() {
  // Within the body's deadline, and no longer than the read timeout without a byte.
  stream_.expires_at(std::min(bodyDeadline_, Clock::now() + core_.options.readTimeout));
  http::async_read_some(
      stream_, buffer_, *parser_,
      [self = shared_from_this()](beast::error_code error, std::size_t) { self->onBody(error); });
}

void HttpConnection::onBody(beast::error_code error) {
  if (error) return refuseRead(error);
  if (!countBody()) {
    HttpResponse busy;
    busy.setHeader("Retry-After", "5");
    answerError(busy, 503, "The hall is receiving too much at once; please try again shortly.");
    return respond(std::move(busy), true);
  }
  if (!parser_->is_done()) return readSomeBody();
  answer();
}

// Counts what the body holds now against the budget of all bodies; false when over it.
bool HttpConnection::countBody() {
  const std::size_t size = parser_->get().body().size();
  const std::size_t more = size - bodyCounted_;
  const std::size_t before = core_.bodyBytes.fetch_add(more);
  bodyCounted_ = size;
  return before + more <= core_.options.bodyBudget;
}

void HttpConnection::releaseBody() {
  core_.bodyBytes.fetch_sub(bodyCounted_);
  bodyCounted_ = 0;
}

void HttpConnection::answer() {
  reading_ = false;
  if (parser_->get().body().size() > 0) {
    request_.body = beast::buffers_to_string(parser_->get().body().data());
  }
  parser_.reset();
  if (routed_.early.status != 0) return respond(routed_.early);
  answerOnWorker();
}

void HttpConnection::answerOnWorker() {
  auto self = shared_from_this();
  WorkQueue& queue =
      routed_.route.kind == RouteKind::Health ? core_.checkingHealth : core_.answering;
  const bool taken = queue.tryPost([self] {
    HttpResponse res;
    try {
      answerRoute(self->core_.hall, self->routed_, self->request_, res);
    } catch (...) {
      answerException(std::current_exception(), res);
    }
    net::post(self->core_.io,
              [self, res = std::move(res)]() mutable { self->respond(std::move(res)); });
  });
  if (!taken) respond(tooBusy(core_.hall, routed_.route.kind));
}

void HttpConnection::respond(HttpResponse answer, bool thenClose) {
  addRouteHeaders(core_.options, routed_, answer);
  ++answered_;
  const bool keep =
      keepAlive_ && !thenClose && !core_.stopping && answered_ < core_.options.keepAliveMaxCount;
  response_ = {};
  response_.result(static_cast<unsigned>(answer.status));
  response_.version(11);
  for (const auto& [name, value] : answer.headers) response_.set(name, value);
  response_.keep_alive(keep);
  if (head_) {
    response_.content_length(answer.body.size());
  } else {
    response_.body() = std::move(answer.body);
    response_.prepare_payload();
  }
  stream_.expires_after(core_.options.writeTimeout);
  http::async_write(stream_, response_,
                    [self = shared_from_this()](beast::error_code error, std::size_t) {
                      self->onWritten(error);
                    });
}

void HttpConnection::onWritten(beast::error_code error) {
  releaseBody();
  if (error) return close();
  if (!response_.keep_alive()) return linger();
  readHead();
}

// A client may still be sending what was refused: closing on unread data would reset the
// connection, and the client could lose the answer. What arrives is read and dropped for a
// moment, as nginx does, and then the connection is closed.
void HttpConnection::linger() {
  beast::error_code ignored;
  stream_.socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
  stream_.expires_after(kLingerTime);
  lingerSome();
}

void HttpConnection::lingerSome() {
  buffer_.consume(buffer_.size());
  stream_.async_read_some(buffer_.prepare(buffer_.max_size()),
                          [self = shared_from_this()](beast::error_code error, std::size_t) {
                            if (error) return self->close();
                            self->lingerSome();
                          });
}

void HttpConnection::refuseRead(beast::error_code error) {
  int status = 0;
  if (error == http::error::header_limit) {
    status = 431;
  } else if (error == http::error::body_limit) {
    status = 413;
  } else if (isParseError(error)) {
    status = 400;
  }
  // A client that left or went silent is let go without a word.
  if (status == 0) return close();
  HttpResponse refusal;
  answerError(refusal, status, defaultSentence(status));
  respond(std::move(refusal), true);
}

}  // namespace kestal::hall
