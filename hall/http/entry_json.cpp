#include "hall/http/entry_json.h"

namespace kestal::hall {

nlohmann::json entryJson(const StoredEntry& entry, const BoardPlace& place) {
  return {{"id", entry.id},
          {"name", entry.name},
          {"edition", entry.edition},
          {"score", entry.score},
          {"level", entry.level},
          {"victory", entry.victory},
          {"minesKilled", entry.minesKilled},
          {"retraces", entry.retraces},
          {"date", entry.date},
          {"rank", place.rank},
          {"total", place.total}};
}

nlohmann::json boardJson(const std::string& edition, const Board& board, std::int64_t offset) {
  nlohmann::json entries = nlohmann::json::array();
  std::int64_t rank = offset;
  for (const StoredEntry& entry : board.entries) {
    entries.push_back(entryJson(entry, BoardPlace{++rank, board.total}));
  }
  return {{"edition", edition}, {"total", board.total}, {"entries", std::move(entries)}};
}

std::string errorBody(const std::string& sentence) {
  // A sentence may quote a script's line, which need not be valid UTF-8.
  return nlohmann::json{{"error", sentence}}.dump(-1, ' ', false,
                                                  nlohmann::json::error_handler_t::replace);
}

}  // namespace kestal::hall
