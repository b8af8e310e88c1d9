#include "hall/http/submission.h"

#include <nlohmann/json.hpp>

#include "hall/http/player_name.h"
#include "hall/server/utf8.h"

namespace kestal::hall {
namespace {

// The body is an object of two strings; anything nested deeper is refused as it is read,
// before it can cost a deep structure.
constexpr int kMaxDepth = 4;

struct TooDeep {};

std::variant<nlohmann::json, SubmissionError> parseJson(std::string_view body) {
  if (body.find('\0') != std::string_view::npos) {
    return SubmissionError{"The request must not contain NUL bytes."};
  }
  if (!isValidUtf8(body)) return SubmissionError{"The request is not valid UTF-8 text."};
  try {
    return nlohmann::json::parse(body, [](int depth, nlohmann::json::parse_event_t, auto&) {
      if (depth > kMaxDepth) throw TooDeep{};
      return true;
    });
  } catch (const nlohmann::json::parse_error& error) {
    return SubmissionError{"The request is not valid JSON (at byte " + std::to_string(error.byte) +
                           ")."};
  } catch (const TooDeep&) {
    return SubmissionError{"The request is nested too deeply to be an entry."};
  }
}

const std::string* stringField(const nlohmann::json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get_ptr<const std::string*>()
                                                     : nullptr;
}

}  // namespace

std::variant<Submission, SubmissionError> readSubmission(std::string_view body) {
  auto parsed = parseJson(body);
  if (auto* error = std::get_if<SubmissionError>(&parsed)) return std::move(*error);
  const auto& json = std::get<nlohmann::json>(parsed);
  if (!json.is_object()) {
    return SubmissionError{"The request must be a JSON object with a name and a replay."};
  }
  const std::string* name = stringField(json, "name");
  if (!name) return SubmissionError{"The request needs a \"name\" given as a string."};
  const std::string* replay = stringField(json, "replay");
  if (!replay) {
    return SubmissionError{"The request needs a \"replay\" holding the key script as a string."};
  }
  // JSON escapes can still carry a NUL (\u0000) into the text.
  if (name->find('\0') != std::string::npos || replay->find('\0') != std::string::npos) {
    return SubmissionError{"The request must not contain NUL bytes."};
  }
  auto checked = checkPlayerName(*name);
  if (auto* error = std::get_if<NameError>(&checked)) return SubmissionError{error->sentence};
  return Submission{std::get<std::string>(std::move(checked)), *replay};
}

}  // namespace kestal::hall
