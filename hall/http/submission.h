// The body of POST /api/entries: {"name": "...", "replay": "<the key script>"}.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace kestal::hall {

struct Submission {
  std::string name;    // trimmed and checked
  std::string replay;  // exactly as sent
};

struct SubmissionError {
  std::string sentence;
};

std::variant<Submission, SubmissionError> readSubmission(std::string_view body);

}  // namespace kestal::hall
