// A request as the hall's routes read it (its body read whole) and the answer they make,
// apart from how the server reads and writes them.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestal::hall {

struct CaseInsensitiveLess {
  bool operator()(std::string_view a, std::string_view b) const;
};

struct HttpRequest {
  std::string method;
  std::string path;                                // percent-decoded, without the query
  std::multimap<std::string, std::string> params;  // the query, decoded
  std::multimap<std::string, std::string, CaseInsensitiveLess> headers;
  std::string body;
  std::string remoteAddress;

  bool hasHeader(std::string_view name) const;
  // The first value, or "".
  std::string header(std::string_view name) const;
  bool hasParam(const std::string& key) const { return params.count(key) != 0; }
  std::string param(const std::string& key) const;
};

// The target of a request ("/api/entries?edition=sound") into its path and parameters.
// false: the target cannot be decoded.
bool readTarget(std::string_view target, HttpRequest& request);

struct HttpResponse {
  int status = 0;  // 0: not answered yet
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // Replaces any header of that name.
  void setHeader(const std::string& name, const std::string& value);
  std::string header(std::string_view name) const;
};

}  // namespace kestal::hall
