// Every request passes here once its head is read: the origin check, the address, the method
// and the type of a body, and the answers that need nothing of the hall's state. The rest
// (reads of the database, submissions) is answered once the body is read, on a thread that
// may wait.
#pragma once

#include "hall/http/hall_context.h"
#include "hall/http/http_message.h"
#include "hall/http/routes.h"

namespace kestal::hall {

struct RoutedRequest {
  Route route;
  bool allowedOrigin = false;  // the --allow-origin page: every answer gets CORS headers
  // status != 0: the answer, given without the hall's state once any body of known length has
  // been read (so that the next request on the connection is read as one).
  HttpResponse early;
};

RoutedRequest routeHead(const HallServerOptions& options, const HttpRequest& head);

// The answer to a request that routeHead let through, its body read. Throws what the store
// throws.
void answerRoute(HallContext& hall, const RoutedRequest& routed, const HttpRequest& request,
                 HttpResponse& response);

// The headers every answer to this request carries.
void addRouteHeaders(const HallServerOptions& options, const RoutedRequest& routed,
                     HttpResponse& response);

}  // namespace kestal::hall
