#include "hall/http/request_router.h"

#include "hall/http/content_type.h"
#include "hall/http/http_answer.h"
#include "hall/http/origin_policy.h"
#include "hall/http/read_answers.h"
#include "hall/http/submission_answer.h"

namespace kestal::hall {
namespace {

void refuse(RoutedRequest& routed, int status) {
  answerError(routed.early, status, defaultSentence(status));
}

void answerPreflight(RoutedRequest& routed) {
  HttpResponse& res = routed.early;
  res.status = 204;
  res.setHeader("Allow", allowedMethods(routed.route.kind));
  res.setHeader("Access-Control-Allow-Methods", allowedMethods(routed.route.kind));
  res.setHeader("Access-Control-Allow-Headers", "Content-Type");
  res.setHeader("Access-Control-Max-Age", "600");
  res.setHeader("Content-Type", kJsonType);
}

}  // namespace

RoutedRequest routeHead(const HallServerOptions& options, const HttpRequest& head) {
  RoutedRequest routed;
  const OriginVerdict origin = judgeOrigin(head.header("Origin"), head.header("Host"),
                                           options.allowOrigin, head.hasHeader("Origin"));
  if (origin == OriginVerdict::Refused) {
    refuse(routed, 403);
    return routed;
  }
  routed.allowedOrigin = origin == OriginVerdict::Allowed;
  routed.route = matchRoute(head.path);
  if (routed.route.kind == RouteKind::Unknown) {
    refuse(routed, 404);
  } else if (!routeAllows(routed.route.kind, head.method)) {
    refuse(routed, 405);
    routed.early.setHeader("Allow", allowedMethods(routed.route.kind));
  } else if (head.method == "OPTIONS") {
    answerPreflight(routed);
  } else if (head.method == "POST" && !isJsonContentType(head.header("Content-Type"))) {
    refuse(routed, 415);
  }
  return routed;
}

void answerRoute(HallContext& hall, const RoutedRequest& routed, const HttpRequest& request,
                 HttpResponse& response) {
  switch (routed.route.kind) {
    case RouteKind::Health:
      return answerHealth(hall, response);
    case RouteKind::Entries:
      if (request.method == "POST") return answerSubmission(hall, request, response);
      return answerBoard(hall, request, response);
    case RouteKind::Entry:
      return answerEntry(hall, routed.route.id, response);
    case RouteKind::EntryReplay:
      return answerReplay(hall, routed.route.id, response);
    case RouteKind::Unknown:
      break;
  }
  answerError(response, 404, defaultSentence(404));
}

void addRouteHeaders(const HallServerOptions& options, const RoutedRequest& routed,
                     HttpResponse& response) {
  response.setHeader("X-Content-Type-Options", "nosniff");
  response.setHeader("Cache-Control", "no-store");
  if (routed.allowedOrigin) {
    response.setHeader("Access-Control-Allow-Origin", options.allowOrigin);
    response.setHeader("Vary", "Origin");
  }
}

}  // namespace kestal::hall
