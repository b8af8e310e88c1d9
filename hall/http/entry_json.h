// Entries and boards as the players' page reads them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "hall/store/entry.h"

namespace kestal::hall {

nlohmann::json entryJson(const StoredEntry& entry, const BoardPlace& place);

// A page of a board starting at `offset`; each entry's rank follows from its position.
nlohmann::json boardJson(const std::string& edition, const Board& board, std::int64_t offset);

std::string errorBody(const std::string& sentence);

}  // namespace kestal::hall
