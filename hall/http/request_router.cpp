#include "hall/http/request_router.h"

#include "hall/http/content_type.h"
#include "hall/http/http_answer.h"
#include "hall/http/origin_policy.h"
#include "hall/http/read_answers.h"
#include "hall/http/routes.h"

namespace kestal::hall {
namespace {

using httplib::Request;
using httplib::Response;
using Handled = httplib::Server::HandlerResponse;

// httplib reads a body for these methods whatever the route.
bool hasBody(const Request& req) {
  return req.method == "POST" || req.method == "PUT" || req.method == "PATCH" ||
         req.method == "DELETE" || req.method == "PRI";
}

// Bodies httplib would read without any limit.
bool hasUnboundedBody(const Request& req) {
  return req.get_header_value("Transfer-Encoding").find("chunked") != std::string::npos ||
         !req.has_header("Content-Length");
}

// An error decided before the body. A body of known length is left to httplib to read (then
// the error handler words the answer), so the next request on the connection starts where it
// should; a body of no known length is not read at all.
Handled refuse(const Request& req, Response& res, int status, const std::string& sentence) {
  if (hasBody(req) && !hasUnboundedBody(req)) {
    res.status = status;
    return Handled::Unhandled;
  }
  answerError(res, status, sentence);
  return Handled::Handled;
}

void addCorsHeaders(const HallServerOptions& options, Response& res) {
  res.set_header("Access-Control-Allow-Origin", options.allowOrigin);
  res.set_header("Vary", "Origin");
}

Handled answerPreflight(const Route& route, Response& res) {
  res.status = 204;
  res.set_header("Allow", allowedMethods(route.kind));
  res.set_header("Access-Control-Allow-Methods", allowedMethods(route.kind));
  res.set_header("Access-Control-Allow-Headers", "Content-Type");
  res.set_header("Access-Control-Max-Age", "600");
  res.set_header("Content-Type", kJsonType);
  return Handled::Handled;
}

Handled answerRead(HallContext& hall, const Route& route, const Request& req, Response& res) {
  switch (route.kind) {
    case RouteKind::Health:
      answerHealth(hall, res);
      break;
    case RouteKind::Entries:
      answerBoard(hall, req, res);
      break;
    case RouteKind::Entry:
      answerEntry(hall, route.id, res);
      break;
    case RouteKind::EntryReplay:
      answerReplay(hall, route.id, res);
      break;
    case RouteKind::Unknown:
      break;
  }
  return Handled::Handled;
}

}  // namespace

Handled routeRequest(HallContext& hall, const Request& req, Response& res) {
  const OriginVerdict origin =
      judgeOrigin(req.get_header_value("Origin"), req.get_header_value("Host"),
                  hall.options.allowOrigin, req.has_header("Origin"));
  if (origin == OriginVerdict::Refused) return refuse(req, res, 403, defaultSentence(403));
  if (origin == OriginVerdict::Allowed) addCorsHeaders(hall.options, res);

  const Route route = matchRoute(req.path);
  if (route.kind == RouteKind::Unknown) return refuse(req, res, 404, defaultSentence(404));
  if (!routeAllows(route.kind, req.method)) {
    res.set_header("Allow", allowedMethods(route.kind));
    return refuse(req, res, 405, defaultSentence(405));
  }
  if (req.method == "OPTIONS") return answerPreflight(route, res);
  if (req.method == "POST") {
    if (!isJsonContentType(req.get_header_value("Content-Type"))) {
      return refuse(req, res, 415, defaultSentence(415));
    }
    return Handled::Unhandled;
  }
  return answerRead(hall, route, req, res);
}

}  // namespace kestal::hall
