#include "hall/http/read_answers.h"

#include <iostream>
#include <limits>
#include <optional>
#include <string>

#include "hall/http/entry_json.h"
#include "hall/http/http_answer.h"
#include "hall/server/whole_number.h"
#include "hall/verify/verification.h"

namespace kestal::hall {
namespace {

constexpr int kDefaultLimit = 20;
constexpr int kMaxLimit = 100;

const char* const kUnknownEntry = "No entry in the hall has that number.";

// A query parameter as a whole number within [low, high]; `fallback` when absent.
std::optional<std::int64_t> numberParam(const HttpRequest& req, const char* key,
                                        std::int64_t fallback, std::int64_t low,
                                        std::int64_t high) {
  if (!req.hasParam(key)) return fallback;
  return wholeNumberWithin(req.param(key), low, high);
}

}  // namespace

void answerHealth(HallContext& hall, HttpResponse& res) {
  nlohmann::json health = {{"status", "ok"},
                           {"version", std::string(gameVersion())},
                           {"database", std::string(hall.store.kind())}};
  try {
    hall.store.ping();
  } catch (const StoreError& error) {
    std::cerr << "kestal-hall: " << error.what() << std::endl;
    health["status"] = "unavailable";
    health["error"] = kDatabaseUnreachable;
    res.setHeader("Retry-After", "30");
    return answerJson(res, 503, health);
  }
  answerJson(res, 200, health);
}

void answerBoard(HallContext& hall, const HttpRequest& req, HttpResponse& res) {
  const std::string edition = req.hasParam("edition") ? req.param("edition") : "sound";
  if (edition != "sound" && edition != "silent") {
    return answerError(res, 400, "The edition must be \"sound\" or \"silent\".");
  }
  const auto limit = numberParam(req, "limit", kDefaultLimit, 1, kMaxLimit);
  if (!limit) return answerError(res, 400, "The limit must be a whole number from 1 to 100.");
  const auto offset = numberParam(req, "offset", 0, 0, std::numeric_limits<std::int64_t>::max());
  if (!offset) return answerError(res, 400, "The offset must be a whole number, 0 or more.");
  const Board board = hall.store.list(edition, static_cast<int>(*limit), *offset);
  answerJson(res, 200, boardJson(edition, board, *offset));
}

void answerEntry(HallContext& hall, std::int64_t id, HttpResponse& res) {
  const auto entry = hall.store.find(id);
  if (!entry) return answerError(res, 404, kUnknownEntry);
  answerJson(res, 200, entryJson(*entry, hall.store.place(*entry)));
}

void answerReplay(HallContext& hall, std::int64_t id, HttpResponse& res) {
  const auto script = hall.store.replay(id);
  if (!script) return answerError(res, 404, kUnknownEntry);
  answerText(res, 200, *script);
}

}  // namespace kestal::hall
