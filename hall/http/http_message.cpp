#include "hall/http/http_message.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kestal::hall {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX decoded, and in a query '+' as a space; nullopt for a broken escape.
std::optional<std::string> decoded(std::string_view text, bool plusIsSpace) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  return std::ranges::lexicographical_compare(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool HttpRequest::hasHeader(std::string_view name) const {
  return headers.find(std::string(name)) != headers.end();
}

std::string HttpRequest::header(std::string_view name) const {
  const auto found = headers.find(std::string(name));
  return found == headers.end() ? std::string() : found->second;
}

std::string HttpRequest::param(const std::string& key) const {
  const auto found = params.find(key);
  return found == params.end() ? std::string() : found->second;
}

bool readTarget(std::string_view target, HttpRequest& request) {
  const auto question = target.find('?');
  const auto path = decoded(target.substr(0, question), false);
  if (!path) return false;
  request.path = *path;
  if (question == std::string_view::npos) return true;
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    const auto end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
    if (pair.empty()) continue;
    const auto equals = pair.find('=');
    const auto key = decoded(pair.substr(0, equals), true);
    const auto value =
        decoded(equals == std::string_view::npos ? "" : pair.substr(equals + 1), true);
    if (!key || !value) return false;
    request.params.emplace(*key, *value);
  }
  return true;
}

void HttpResponse::setHeader(const std::string& name, const std::string& value) {
  std::erase_if(headers, [&](const auto& header) { return sameIgnoringCase(header.first, name); });
  headers.emplace_back(name, value);
}

std::string HttpResponse::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (sameIgnoringCase(key, name)) return value;
  }
  return {};
}

}  // namespace kestal::hall
