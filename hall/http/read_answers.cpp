#include "hall/http/read_answers.h"

#include <limits>
#include <optional>
#include <string>

#include "hall/http/entry_json.h"
#include "hall/http/http_answer.h"
#include "hall/http/whole_number.h"
#include "hall/verify/verification.h"

namespace kestal::hall {
namespace {

constexpr int kDefaultLimit = 20;
constexpr int kMaxLimit = 100;

const char* const kUnknownEntry = "No entry in the hall has that number.";

// A query parameter as a whole number within [low, high]; `fallback` when absent.
std::optional<std::int64_t> numberParam(const httplib::Request& req, const char* key,
                                        std::int64_t fallback, std::int64_t low,
                                        std::int64_t high) {
  if (!req.has_param(key)) return fallback;
  const auto value = parseWholeNumber(req.get_param_value(key));
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

}  // namespace

void answerHealth(HallContext& hall, httplib::Response& res) {
  answerJson(res, 200,
             {{"status", "ok"},
              {"version", std::string(gameVersion())},
              {"database", std::string(hall.store.kind())}});
}

void answerBoard(HallContext& hall, const httplib::Request& req, httplib::Response& res) {
  const std::string edition = req.has_param("edition") ? req.get_param_value("edition") : "sound";
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

void answerEntry(HallContext& hall, std::int64_t id, httplib::Response& res) {
  const auto entry = hall.store.find(id);
  if (!entry) return answerError(res, 404, kUnknownEntry);
  answerJson(res, 200, entryJson(*entry, hall.store.place(*entry)));
}

void answerReplay(HallContext& hall, std::int64_t id, httplib::Response& res) {
  const auto script = hall.store.replay(id);
  if (!script) return answerError(res, 404, kUnknownEntry);
  answerText(res, 200, *script);
}

}  // namespace kestal::hall
