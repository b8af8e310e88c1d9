// The answers that only read: health, boards, entries and their recordings.
#pragma once

#include <cstdint>

#include "hall/http/hall_context.h"
#include "hall/http/http_message.h"

namespace kestal::hall {

// "ok" when the database answers a cheap question in time; otherwise 503 "unavailable" with
// a sentence, so that a proxy or a monitor can take this instance out.
void answerHealth(HallContext& hall, HttpResponse& res);
void answerBoard(HallContext& hall, const HttpRequest& req, HttpResponse& res);
void answerEntry(HallContext& hall, std::int64_t id, HttpResponse& res);
void answerReplay(HallContext& hall, std::int64_t id, HttpResponse& res);

}  // namespace kestal::hall
