// The real kestal-hall: started on a free port, given a real recording, moderated, stopped,
// also in the middle of a verification.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "hall/load/hall_process.h"
#include "tests/support/child_process.h"
#include "tests/support/process_status.h"
#include "tests/support/scratch_directory.h"

namespace {

using namespace std::chrono_literals;
using kestal::hall::load::HallLaunch;
using kestal::hall::load::HallProcess;
using nlohmann::json;
using testsupport::Launch;
using testsupport::runCommand;
using testsupport::ScratchDirectory;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

HallLaunch hallOn(const ScratchDirectory& scratch) {
  return {KESTAL_HALL_BINARY,
          {"--database", "sqlite:" + (scratch / "hall.sqlite").string()},
          scratch / "hall.log"};
}

TEST(HallProgram, EntersAWholeGameWithTheScoreItsVerificationPrints) {
  const std::filesystem::path recording =
      std::filesystem::path(KESTAL_SOURCE_DIR) / "tests/regression/whole_game.keys";
  const auto verified = runCommand(Launch({KESTAL_HALL_BINARY, "--verify", recording}), 120s);
  ASSERT_EQ(verified.status, 0) << verified.errors;
  const json verification = json::parse(verified.output);

  ScratchDirectory scratch("kestal-hall-program");
  const std::string database = "sqlite:" + (scratch / "hall.sqlite").string();
  HallProcess hall(hallOn(scratch));
  EXPECT_TRUE(std::regex_search(
      hall.output(),
      std::regex(R"(kestal-hall: listening on http://127\.0\.0\.1:\d+ \(sqlite\)\n)")))
      << hall.output();

  const auto second =
      runCommand(Launch({KESTAL_HALL_BINARY, "--listen", "127.0.0.1:" + std::to_string(hall.port()),
                         "--database", database + "-second"}));
  EXPECT_EQ(second.status, 1) << "a second server took the same port";

  httplib::Client client("127.0.0.1", hall.port());
  client.set_read_timeout(120, 0);
  const std::string script = readFile(recording);
  const auto res = client.Post("/api/entries", json{{"name", "Ann"}, {"replay", script}}.dump(),
                               "application/json");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 201) << res->body;
  const json entry = json::parse(res->body);
  EXPECT_EQ(entry.at("score"), verification.at("score"));
  EXPECT_EQ(entry.at("level"), verification.at("level"));
  const std::string id = entry.at("id").dump();
  EXPECT_EQ(client.Get("/api/entries/" + id + "/replay")->body, script);

  hall.signal(SIGTERM);
  EXPECT_EQ(hall.waitForExit(30s), 0);

  const auto hidden = runCommand(Launch({KESTAL_HALL_BINARY, "--database", database, "hide", id}));
  EXPECT_EQ(hidden.status, 0) << hidden.errors;
  EXPECT_EQ(hidden.output, "entry " + id + " hidden\n");
  const auto unknown =
      runCommand(Launch({KESTAL_HALL_BINARY, "--database", database, "hide", "999"}));
  EXPECT_EQ(unknown.status, 1);
  const auto nonsense = runCommand(Launch({KESTAL_HALL_BINARY, "--workers", "none"}));
  EXPECT_EQ(nonsense.status, 2);
  EXPECT_EQ(std::count(nonsense.errors.begin(), nonsense.errors.end(), '\n'), 1) << nonsense.errors;
}

TEST(HallProgram, StoppedMidVerificationAnswers503AndEndsWithinFiveSeconds) {
  ScratchDirectory scratch("kestal-hall-program");
  HallProcess hall(hallOn(scratch));
  // An hour of play: its replay lasts far longer than the stop may take.
  auto answer = std::async(std::launch::async, [port = hall.port()] {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(120, 0);
    return client.Post("/api/entries",
                       json{{"name", "Ann"}, {"replay", "1 Enter\n215999 Up\n"}}.dump(),
                       "application/json");
  });
  std::vector<pid_t> verifying;
  for (int tries = 0; tries < 1000 && verifying.empty(); ++tries) {
    std::this_thread::sleep_for(10ms);
    verifying = testsupport::childProcesses(hall.pid());
  }
  ASSERT_FALSE(verifying.empty()) << "no verification started";
  const auto stopped = std::chrono::steady_clock::now();
  hall.signal(SIGTERM);
  const auto res = answer.get();
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 503) << res->body;
  EXPECT_NE(json::parse(res->body).at("error").get<std::string>().find("stopping"),
            std::string::npos)
      << res->body;
  EXPECT_FALSE(res->get_header_value("Retry-After").empty());
  EXPECT_EQ(hall.waitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(
                5s - (std::chrono::steady_clock::now() - stopped))),
            0)
      << hall.output();
  for (const pid_t child : verifying) {
    EXPECT_NE(kill(child, 0), 0) << "verification child " << child << " outlived the hall";
  }
}

}  // namespace
