// How every answer of the hall is written: JSON in UTF-8, errors as {"error": "<sentence>"}.
#pragma once

#include <httplib.h>

#include <nlohmann/json.hpp>
#include <string>

namespace kestal::hall {

inline constexpr const char* kJsonType = "application/json; charset=utf-8";

void answerJson(httplib::Response& res, int status, const nlohmann::json& body);
void answerError(httplib::Response& res, int status, const std::string& sentence);
void answerText(httplib::Response& res, int status, const std::string& text);

// The sentence for a status the hall did not word itself (httplib's own errors).
std::string defaultSentence(int status);

}  // namespace kestal::hall
