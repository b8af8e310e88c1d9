#include "hall/http/submission_answer.h"

#include <chrono>
#include <variant>

#include "hall/http/client_address.h"
#include "hall/http/entry_json.h"
#include "hall/http/http_answer.h"
#include "hall/http/submission.h"
#include "hall/http/utc_date.h"

namespace kestal::hall {
namespace {

// A verification takes seconds; by then a place in the queue is likely free.
constexpr const char* kBusyRetrySeconds = "5";

NewEntry newEntry(const Submission& submission, const Verification& verification) {
  const GameOutcome& best = verification.best;
  NewEntry entry;
  entry.name = submission.name;
  entry.edition = verification.edition;
  entry.score = best.score;
  entry.level = best.level;
  entry.victory = best.victory;
  entry.minesKilled = best.minesKilled;
  // The recording's limits keep a game far below 2^63 retraces.
  entry.retraces = static_cast<std::int64_t>(best.retraces);
  entry.date = utcDate(std::chrono::system_clock::now());
  entry.replay = submission.replay;
  entry.recordingDigest = verification.recordingDigest;
  return entry;
}

void enter(HallContext& hall, const Submission& submission, const Verification& verification,
           httplib::Response& res) {
  const AddResult added = hall.store.add(newEntry(submission, verification));
  answerJson(res, added.created ? 201 : 200, entryJson(added.entry, hall.store.place(added.entry)));
}

void answerVerification(HallContext& hall, const Submission& submission,
                        const Verification& verification, httplib::Response& res) {
  switch (verification.status) {
    case VerificationStatus::Verified:
      return enter(hall, submission, verification, res);
    case VerificationStatus::BadScript:
      return answerError(res, 400, verification.error);
    case VerificationStatus::Refused:
      return answerError(res, 422, verification.error);
    case VerificationStatus::Failed:
      return answerError(res, 500, verification.error);
  }
  answerError(res, 500, "The server could not check the recording.");
}

}  // namespace

void answerSubmission(HallContext& hall, const httplib::Request& req, const std::string& body,
                      httplib::Response& res) {
  auto read = readSubmission(body);
  if (auto* error = std::get_if<SubmissionError>(&read)) {
    return answerError(res, 400, error->sentence);
  }
  const Submission& submission = std::get<Submission>(read);

  const std::string address = clientAddress(req.remote_addr, req.get_header_value("X-Real-IP"));
  const std::int64_t wait = hall.limiter.take(address, RateLimiter::Clock::now());
  if (wait > 0) {
    res.set_header("Retry-After", std::to_string(wait));
    return answerError(res, 429, "Too many entries from your address; please wait a little.");
  }
  auto verifying = hall.pool.submit(submission.replay);
  if (!verifying) {
    res.set_header("Retry-After", kBusyRetrySeconds);
    return answerError(res, 503,
                       "The hall is busy checking other recordings; please try again "
                       "shortly.");
  }
  answerVerification(hall, submission, verifying->get(), res);
}

}  // namespace kestal::hall
