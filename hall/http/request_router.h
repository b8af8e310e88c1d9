// Every request passes here before httplib reads its body: the origin check, the address and
// the method, and the answers that need no body. Only a submission goes on to be read.
#pragma once

#include <httplib.h>

#include "hall/http/hall_context.h"

namespace kestal::hall {

httplib::Server::HandlerResponse routeRequest(HallContext& hall, const httplib::Request& req,
                                              httplib::Response& res);

}  // namespace kestal::hall
