// Clients that submit recordings to kestal-hall over loopback, as players would, and keep
// every answer: how a crowd, restarts and lost instances look from outside the server.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kestal::hall::load {

using Clock = std::chrono::steady_clock;

// The ports of the server instances, 127.0.0.1 only. An instance restarted on another port
// gets it here, and clients use it from their next attempt.
class Endpoints {
 public:
  explicit Endpoints(const std::vector<int>& ports);
  std::size_t size() const { return count_; }
  int port(std::size_t index) const { return ports_[index].load(); }
  void setPort(std::size_t index, int port) { ports_[index].store(port); }

 private:
  std::size_t count_;
  std::unique_ptr<std::atomic<int>[]> ports_;
};

struct Submission {
  std::string name;
  std::string replay;
  Clock::time_point due{};  // not before this; answer times count from it when it is set
};

struct Answer {
  int status = 0;       // the final HTTP status; 0 when none came before the deadline
  std::int64_t id = 0;  // the entry's, for 200 and 201
  std::string body;     // the final answer
  double seconds = 0;   // from the due time (or the first attempt) to the final answer
  Clock::time_point finished{};
  int attempts = 0;
  int connectionFailures = 0;  // no answer: refused, reset, cut off
  int refusals = 0;            // 503 and 429, each followed by its Retry-After
};

struct LoadOptions {
  std::size_t clients = 8;
  // No attempt starts later than this after a submission's first.
  std::chrono::milliseconds deadline{60000};
  // Retry-After is honoured up to this, so a test stays bounded.
  std::chrono::milliseconds longestWait{2000};
  std::chrono::milliseconds reconnectWait{50};
  std::chrono::milliseconds answerTimeout{60000};
  // No submission is taken up after this (a time-bounded run); the default never comes.
  Clock::time_point stopAt = Clock::time_point::max();
};

// Submissions 0..count-1, made by `make` (called from the client threads), spread over the
// clients; client c starts on endpoint c % size and moves to the next one when an attempt
// gets no answer.
class LoadRun {
 public:
  LoadRun(const Endpoints& endpoints, std::size_t count,
          std::function<Submission(std::size_t)> make, const LoadOptions& options);
  ~LoadRun();
  LoadRun(const LoadRun&) = delete;
  LoadRun& operator=(const LoadRun&) = delete;

  // Submissions with a final answer so far.
  std::size_t answered() const { return answered_.load(); }
  // Every submission's answer, by index; those never taken up (stopAt) have attempts 0.
  const std::vector<Answer>& wait();

 private:
  void runClient(std::size_t client);
  Answer submit(const Submission& submission, std::size_t& endpoint) const;

  const Endpoints& endpoints_;
  std::function<Submission(std::size_t)> make_;
  LoadOptions options_;
  std::vector<Answer> answers_;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> answered_{0};
  std::vector<std::thread> threads_;
};

// One GET on 127.0.0.1:port; status 0 when no answer came.
struct Reply {
  int status = 0;
  std::string body;
};
Reply httpGet(int port, const std::string& path);

}  // namespace kestal::hall::load
