// One client's connection: requests read with deadlines and within the limits, each answered
// on a thread that may wait, the answer written back; kept open for the next request while
// the client asks for it. Everything but the answering runs on the I/O thread.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/dynamic_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>

#include "hall/http/http_message.h"
#include "hall/http/request_router.h"
#include "hall/http/server_core.h"

namespace kestal::hall {

class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
 public:
  HttpConnection(ServerCore& core, boost::asio::ip::tcp::socket socket);
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  void start();
  // On the I/O thread, when the server stops: a connection still reading a request is
  // closed; one whose answer is under way closes once it is written.
  void stopReading();
  void close();
  // Since when it has waited for a request that has not arrived whole; nullopt when one is
  // being answered. On the I/O thread.
  std::optional<std::chrono::steady_clock::time_point> readingSince() const;

 private:
  using Clock = std::chrono::steady_clock;
  using Parser = boost::beast::http::request_parser<boost::beast::http::dynamic_body>;

  void readHead();
  void onHead(boost::beast::error_code error);
  void readSomeBody();
  void onBody(boost::beast::error_code error);
  bool countBody();
  void answer();
  void answerOnWorker();
  void respond(HttpResponse response, bool thenClose = false);
  void onWritten(boost::beast::error_code error);
  void linger();
  void lingerSome();
  void refuseRead(boost::beast::error_code error);
  void releaseBody();

  ServerCore& core_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<Parser> parser_;
  HttpRequest request_;
  RoutedRequest routed_;
  bool keepAlive_ = false;
  bool head_ = false;
  bool reading_ = true;
  bool closed_ = false;
  Clock::time_point readingSince_ = Clock::now();
  std::size_t answered_ = 0;
  std::size_t bodyCounted_ = 0;
  Clock::time_point bodyDeadline_;
  boost::beast::http::response<boost::beast::http::string_body> response_;
};

}  // namespace kestal::hall
