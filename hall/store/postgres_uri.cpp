#include "hall/store/postgres_uri.h"

#include <algorithm>

namespace kestal::hall {

namespace {

constexpr auto npos = std::string_view::npos;

// user:password@host:port,... -> user@host:port,...
std::string authorityWithoutPassword(std::string_view authority) {
  const auto at = authority.rfind('@');
  if (at == npos) return std::string(authority);
  const auto user = authority.substr(0, at);
  return std::string(user.substr(0, user.find(':'))) + std::string(authority.substr(at));
}

// a=1&password=x&b=2 -> a=1&b=2
std::string queryWithoutPassword(std::string_view query) {
  std::string kept;
  while (!query.empty()) {
    const auto end = query.find('&');
    const auto parameter = query.substr(0, end);
    query = end == npos ? std::string_view{} : query.substr(end + 1);
    if (parameter.starts_with("password=") || parameter == "password") continue;
    if (!kept.empty()) kept += '&';
    kept += parameter;
  }
  return kept;
}

}  // namespace

std::string uriWithoutPassword(std::string_view uri) {
  const auto scheme = uri.find("://");
  if (scheme == npos) return std::string(uri);
  const auto authorityStart = scheme + 3;
  const auto authorityEnd = std::min(uri.size(), uri.find_first_of("/?", authorityStart));
  const auto queryStart = std::min(uri.size(), uri.find('?', authorityEnd));

  std::string shown(uri.substr(0, authorityStart));
  shown += authorityWithoutPassword(uri.substr(authorityStart, authorityEnd - authorityStart));
  shown += uri.substr(authorityEnd, queryStart - authorityEnd);
  if (queryStart < uri.size()) {
    const auto query = queryWithoutPassword(uri.substr(queryStart + 1));
    if (!query.empty()) shown += "?" + query;
  }
  return shown;
}

namespace {

// The query's parameter names, as the URI spells them.
bool queryNames(std::string_view uri, std::string_view name) {
  const auto query = uri.find('?');
  if (query == npos) return false;
  std::string_view rest = uri.substr(query + 1);
  while (!rest.empty()) {
    const auto end = rest.find('&');
    if (rest.substr(0, end).starts_with(std::string(name) + "=")) return true;
    rest = end == npos ? std::string_view{} : rest.substr(end + 1);
  }
  return false;
}

}  // namespace

std::string uriWithConnectTimeout(std::string_view uri, int seconds) {
  std::string given(uri);
  if (queryNames(uri, "connect_timeout")) return given;
  return given + (uri.find('?') == npos ? "?" : "&") + "connect_timeout=" + std::to_string(seconds);
}

bool uriSetsStatementTimeout(std::string_view uri) {
  const auto query = uri.find('?');
  return query != npos && uri.find("statement_timeout", query) != npos;
}

}  // namespace kestal::hall
