// POST /api/entries: a recording checked, verified and entered.
#pragma once

#include "hall/http/hall_context.h"
#include "hall/http/http_message.h"

namespace kestal::hall {

void answerSubmission(HallContext& hall, const HttpRequest& req, HttpResponse& res);

}  // namespace kestal::hall
