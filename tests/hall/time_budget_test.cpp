// The time budget written once in the README is the one the code, the nginx site, the site
// server, the page and the unit use: five places that drifted apart before.
#include "hall/time_budget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace kestal::hall {
namespace {

std::string sourceText(const std::string& path) {
  std::ifstream in(std::filesystem::path(KESTAL_SOURCE_DIR) / path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The whole number `pattern`'s group 1 matches in the file; -1 when it matches nothing.
long numberIn(const std::string& path, const std::string& pattern) {
  std::smatch found;
  const std::string text = sourceText(path);
  return std::regex_search(text, found, std::regex(pattern)) ? std::stol(found[1]) : -1;
}

TEST(TimeBudget, OneTableEverywhere) {
  struct Place {
    const char* path;
    std::string pattern;  // group 1: seconds, or milliseconds when `perSecond` is 1000
    long perSecond;
    std::chrono::seconds expected;
  };
  const std::string row = R"(\n\| )";
  const std::string seconds = R"([^\n]*\| (\d+) s \|\n)";
  const Place places[] = {
      {"README.md", row + "the verification child" + seconds, 1, budget::CHILD},
      {"README.md", row + "kestal-hall" + seconds, 1, budget::HALL},
      {"README.md", row + "the site server" + seconds, 1, budget::PROXY},
      {"README.md", row + "the page" + seconds, 1, budget::PAGE},
      {"packaging/hall/nginx-site", R"(proxy_read_timeout (\d+)s;)", 1, budget::PROXY},
      {"tools/site/hall-forward.js", R"(HALL_TIMEOUT_MS = (\d+);)", 1000, budget::PROXY},
      {"platform/web/page/page-hall.js", R"(ENTRY_WAIT_MS = (\d+);)", 1000, budget::PAGE},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(std::string(place.path) + ": " + place.pattern);
    EXPECT_EQ(numberIn(place.path, place.pattern), place.expected.count() * place.perSecond);
  }
  // systemd kills what is left only after the hall has had its time to stop.
  EXPECT_GT(numberIn("packaging/hall/kestal-hall.service.in", R"(\nTimeoutStopSec=(\d+)s\n)"),
            budget::STOP.count());
  // A verification that timed out is not started again on another instance.
  const std::string site = sourceText("packaging/hall/nginx-site");
  std::smatch retry;
  ASSERT_TRUE(std::regex_search(site, retry, std::regex(R"(proxy_next_upstream ([^;]*);)")));
  EXPECT_EQ(retry[1].str().find("timeout"), std::string::npos) << retry[0];
}

}  // namespace
}  // namespace kestal::hall
