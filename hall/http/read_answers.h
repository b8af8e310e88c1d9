// The answers that only read: health, boards, entries and their recordings.
#pragma once

#include <httplib.h>

#include <cstdint>

#include "hall/http/hall_context.h"

namespace kestal::hall {

void answerHealth(HallContext& hall, httplib::Response& res);
void answerBoard(HallContext& hall, const httplib::Request& req, httplib::Response& res);
void answerEntry(HallContext& hall, std::int64_t id, httplib::Response& res);
void answerReplay(HallContext& hall, std::int64_t id, httplib::Response& res);

}  // namespace kestal::hall
