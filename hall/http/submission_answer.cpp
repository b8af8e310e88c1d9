#include "hall/http/submission_answer.h"

#include <chrono>
#include <variant>

#include "hall/http/client_address.h"
#include "hall/http/entry_json.h"
#include "hall/http/http_answer.h"
#include "hall/http/submission.h"
#include "hall/server/utc_date.h"
#include "hall/time_budget.h"

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

void answerEntered(HallContext& hall, const StoredEntry& entry, bool created, HttpResponse& res) {
  answerJson(res, created ? 201 : 200, entryJson(entry, hall.store.place(entry)));
}

void answerBusy(HttpResponse& res, const std::string& sentence) {
  res.setHeader("Retry-After", kBusyRetrySeconds);
  answerError(res, 503, sentence);
}

// A verdict of a verification; false when nothing was verified (the token is given back).
bool answerVerification(HallContext& hall, const Submission& submission,
                        const Verification& verification, HttpResponse& res) {
  switch (verification.status) {
    case VerificationStatus::Verified: {
      const AddResult added = hall.store.add(newEntry(submission, verification));
      answerEntered(hall, added.entry, added.created, res);
      return true;
    }
    case VerificationStatus::BadScript:
      answerError(res, 400, verification.error);
      return true;
    case VerificationStatus::Refused:
      answerError(res, 422, verification.error);
      return true;
    case VerificationStatus::Failed:
      answerError(res, 500, verification.error);
      return true;
    case VerificationStatus::Unavailable:
      answerBusy(res, verification.error);
      return false;
  }
  answerError(res, 500, "The server could not check the recording.");
  return true;
}

}  // namespace

void answerSubmission(HallContext& hall, const HttpRequest& req, HttpResponse& res) {
  auto read = readSubmission(req.body);
  if (auto* error = std::get_if<SubmissionError>(&read)) {
    return answerError(res, 400, error->sentence);
  }
  const Submission& submission = std::get<Submission>(read);

  // Read, not played: what playing would not change is said at once, and a game the hall
  // holds already is answered from the database, without a worker or a token.
  const RecordingIdentity identity = hall.identify(submission.replay);
  if (identity.refusal) {
    answerVerification(hall, submission, *identity.refusal, res);
    return;
  }
  if (const auto known = hall.store.findByDigest(identity.recordingDigest)) {
    return answerEntered(hall, *known, false, res);
  }

  const std::string address = clientAddress(req.remoteAddress, req.header("X-Real-IP"));
  const std::int64_t wait = hall.limiter.take(address, RateLimiter::Clock::now());
  if (wait > 0) {
    res.setHeader("Retry-After", std::to_string(wait));
    return answerError(res, 429, "Too many entries from your address; please wait a little.");
  }
  const auto verification = hall.pool.verify(submission.replay, budget::WORKER_WAIT);
  if (!verification) {
    hall.limiter.giveBack(address);
    return answerBusy(res, "The hall is busy checking other recordings; please try again shortly.");
  }
  if (!answerVerification(hall, submission, *verification, res)) hall.limiter.giveBack(address);
}

}  // namespace kestal::hall
