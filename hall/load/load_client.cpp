#include "hall/load/load_client.h"

#include <httplib.h>

#include <algorithm>
#include <nlohmann/json.hpp>

namespace kestal::hall::load {
namespace {

constexpr auto CONNECT_TIMEOUT = std::chrono::seconds(2);

// Retry-After in whole seconds, as the server sends it; anything else waits a short while.
std::chrono::milliseconds retryAfter(const httplib::Response& response,
                                     std::chrono::milliseconds longest) {
  const std::string text = response.get_header_value("Retry-After");
  if (text.empty() || text.size() > 6 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::min(longest, std::chrono::milliseconds(100));
  }
  return std::min(longest, std::chrono::milliseconds(std::stoll(text) * 1000));
}

std::int64_t entryId(const std::string& body) {
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (!json.is_object() || !json.contains("id") || !json["id"].is_number_integer()) return 0;
  return json["id"].get<std::int64_t>();
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

Endpoints::Endpoints(const std::vector<int>& ports)
    : count_(ports.size()), ports_(new std::atomic<int>[ports.size()]) {
  for (std::size_t i = 0; i < count_; ++i) ports_[i].store(ports[i]);
}

LoadRun::LoadRun(const Endpoints& endpoints, std::size_t count,
                 std::function<Submission(std::size_t)> make, const LoadOptions& options)
    : endpoints_(endpoints), make_(std::move(make)), options_(options), answers_(count) {
  for (std::size_t c = 0; c < options_.clients; ++c) {
    threads_.emplace_back([this, c] { runClient(c); });
  }
}

LoadRun::~LoadRun() {
  wait();
}

const std::vector<Answer>& LoadRun::wait() {
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  return answers_;
}

void LoadRun::runClient(std::size_t client) {
  std::size_t endpoint = client % endpoints_.size();
  for (;;) {
    const std::size_t index = next_.fetch_add(1);
    if (index >= answers_.size() || Clock::now() >= options_.stopAt) return;
    const Submission submission = make_(index);
    if (submission.due != Clock::time_point{}) std::this_thread::sleep_until(submission.due);
    answers_[index] = submit(submission, endpoint);
    answered_.fetch_add(1);
  }
}

Answer LoadRun::submit(const Submission& submission, std::size_t& endpoint) const {
  const Clock::time_point first = Clock::now();
  const Clock::time_point from = submission.due != Clock::time_point{} ? submission.due : first;
  const std::string body =
      nlohmann::json{{"name", submission.name}, {"replay", submission.replay}}.dump();
  Answer answer;
  while (Clock::now() - first < options_.deadline) {
    ++answer.attempts;
    httplib::Client client("127.0.0.1", endpoints_.port(endpoint));
    client.set_connection_timeout(CONNECT_TIMEOUT);
    client.set_read_timeout(
        std::chrono::duration_cast<std::chrono::seconds>(options_.answerTimeout));
    client.set_write_timeout(CONNECT_TIMEOUT);
    const httplib::Result result = client.Post("/api/entries", body, "application/json");
    if (!result) {
      // The instance is gone or going: the next one (or its restart) gets the next attempt.
      ++answer.connectionFailures;
      endpoint = (endpoint + 1) % endpoints_.size();
      std::this_thread::sleep_for(options_.reconnectWait);
      continue;
    }
    if (result->status == 503 || result->status == 429) {
      ++answer.refusals;
      std::this_thread::sleep_for(retryAfter(*result, options_.longestWait));
      continue;
    }
    answer.status = result->status;
    answer.body = result->body;
    answer.id = answer.status == 200 || answer.status == 201 ? entryId(result->body) : 0;
    break;
  }
  answer.finished = Clock::now();
  answer.seconds = secondsBetween(from, answer.finished);
  return answer;
}

Reply httpGet(int port, const std::string& path) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(CONNECT_TIMEOUT);
  client.set_read_timeout(std::chrono::seconds(20));
  const httplib::Result result = client.Get(path);
  if (!result) return {};
  return {result->status, result->body};
}

}  // namespace kestal::hall::load
