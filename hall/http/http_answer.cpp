#include "hall/http/http_answer.h"

#include "hall/http/entry_json.h"

namespace kestal::hall {
namespace {

void answer(HttpResponse& res, int status, std::string body, const char* type) {
  res.status = status;
  res.setHeader("Content-Type", type);
  res.body = std::move(body);
}

}  // namespace

void answerJson(HttpResponse& res, int status, const nlohmann::json& body) {
  // Replacement characters instead of an exception: names are checked, but nothing read from
  // the database may end a request.
  answer(res, status, body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
         kJsonType);
}

void answerError(HttpResponse& res, int status, const std::string& sentence) {
  answer(res, status, errorBody(sentence), kJsonType);
}

void answerText(HttpResponse& res, int status, const std::string& text) {
  answer(res, status, text, "text/plain; charset=utf-8");
}

std::string defaultSentence(int status) {
  switch (status) {
    case 400:
      return "The request could not be read.";
    case 403:
      return "Requests from other sites are refused.";
    case 404:
      return "There is nothing at this address.";
    case 405:
      return "This address does not take that method.";
    case 413:
      return "The request is too large.";
    case 414:
      return "The address is too long.";
    case 431:
      return "The request's headers are too large.";
    case 415:
      return "Send the entry as JSON (Content-Type: application/json).";
    case 503:
      return "The hall is busy; please try again shortly.";
    default:
      return "The server could not answer that request.";
  }
}

}  // namespace kestal::hall
