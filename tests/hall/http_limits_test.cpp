// What the hall's HTTP side decides without a server: the rate limiter on a clock of its own,
// and the command line.
#include <gtest/gtest.h>

#include "hall/http/client_address.h"
#include "hall/server/command_line.h"
#include "hall/server/rate_limiter.h"

namespace kestal::hall {
namespace {

TEST(ClientAddress, OnlyAProxyOnThisMachineNamesThePlayersAddress) {
  struct Case {
    const char* peer;
    const char* realIp;
    const char* counted;
  };
  for (const Case& c :
       {Case{"127.0.0.1", "203.0.113.9", "203.0.113.9"},
        // An IPv6 host has a whole /64 to take addresses from: it counts as one.
        Case{"::1", "2001:db8:0:1:aa::7", "2001:db8:0:1::/64"},
        Case{"2001:db8:0:1:bb::9", "", "2001:db8:0:1::/64"},
        Case{"::ffff:198.51.100.4", "", "198.51.100.4"},
        Case{"198.51.100.4", "203.0.113.9", "198.51.100.4"}, Case{"127.0.0.1", "", "127.0.0.1"},
        Case{"127.0.0.1", "x'; DROP TABLE entries;--", "127.0.0.1"}}) {
    EXPECT_EQ(clientAddress(c.peer, c.realIp), c.counted) << c.peer << " " << c.realIp;
  }
}

TEST(RateLimiter, RefillsOverAMinuteAndForgetsBeyondItsCap) {
  // Two a minute: a token every 30 s. Two addresses kept at most.
  RateLimiter limiter(2, 2);
  const RateLimiter::Clock::time_point start{};
  struct Step {
    const char* address;
    int second;
    std::int64_t wait;
  };
  const Step steps[] = {
      {"a", 0, 0},
      {"a", 0, 0},
      {"a", 0, 30},
      {"a", 20, 10},
      {"a", 30, 0},
      {"a", 30, 30},
      {"b", 31, 0},
      // c pushes out a, the one least recently seen; a comes back with a full bucket.
      {"c", 32, 0},
      {"a", 32, 0},
      {"a", 32, 0},
      {"a", 32, 30},
      // b has left (pushed out by a); it starts full again.
      {"b", 33, 0},
      {"b", 33, 0},
      {"b", 33, 30},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.address) + " at " + std::to_string(step.second) + " s");
    EXPECT_EQ(limiter.take(step.address, start + std::chrono::seconds(step.second)), step.wait);
    EXPECT_LE(limiter.addresses(), 2u);
  }
}

TEST(HallCommandLine, RefusesNonsenseInOneLine) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--listen", "h:65536"}, "--listen"},
      {{"--workers"}, "needs a value"},
      {{"--rate", "ten"}, "--rate"},
      {{"--allow-origin", "https://a.example/page"}, "--allow-origin"},
      {{"unhide", "-3"}, "entry's number"},
      {{"--bogus"}, "unknown option --bogus"},
      {{"stray"}, "unexpected argument stray"},
  };
  for (const auto& [args, says] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const auto parsed = parseCommandLine(args);
    ASSERT_TRUE(std::holds_alternative<CommandLineError>(parsed));
    const std::string& message = std::get<CommandLineError>(parsed).message;
    EXPECT_NE(message.find(says), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace kestal::hall
