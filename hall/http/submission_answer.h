// POST /api/entries: a recording checked, verified and entered.
#pragma once

#include <httplib.h>

#include <string>

#include "hall/http/hall_context.h"

namespace kestal::hall {

void answerSubmission(HallContext& hall, const httplib::Request& req, const std::string& body,
                      httplib::Response& res);

}  // namespace kestal::hall
