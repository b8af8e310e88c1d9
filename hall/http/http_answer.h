// How every answer of the hall is written: JSON in UTF-8, errors as {"error": "<sentence>"}.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "hall/http/http_message.h"

namespace kestal::hall {

inline constexpr const char* kJsonType = "application/json; charset=utf-8";

void answerJson(HttpResponse& res, int status, const nlohmann::json& body);
void answerError(HttpResponse& res, int status, const std::string& sentence);
void answerText(HttpResponse& res, int status, const std::string& text);

inline constexpr const char* kDatabaseUnreachable =
    "The hall's database cannot be reached now; please try again later.";

// The sentence for a status the routes did not word themselves.
std::string defaultSentence(int status);

}  // namespace kestal::hall
