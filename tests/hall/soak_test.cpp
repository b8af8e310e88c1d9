// kestal-hall killed without warning in the middle of a crowd of submissions, or its
// PostgreSQL database lost and back: every entry it acknowledged is there afterwards, with its
// name and score, and no recording is kept twice.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hall/load/hall_process.h"
#include "hall/load/load_client.h"
#include "hall/load/load_figures.h"
#include "hall/load/load_recordings.h"
#include "tests/hall/nginx_front.h"
#include "tests/support/child_process.h"
#include "tests/support/process_status.h"
#include "tests/support/scratch_directory.h"

namespace {

using namespace kestal::hall::load;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr std::size_t SUBMISSIONS = 200;
constexpr std::size_t CLIENTS = 8;

Submission soakSubmission(std::size_t index) {
  return {"soak " + std::to_string(index), shortGame(index), {}};
}

// Rate limiting is not under test: every client comes from 127.0.0.1.
HallLaunch hallOn(const std::string& database, const fs::path& log) {
  return {KESTAL_HALL_BINARY, {"--database", database, "--rate", "1000000"}, log};
}

void waitUntilAnswered(const LoadRun& run, std::size_t count) {
  while (run.answered() < count) std::this_thread::sleep_for(1ms);
}

Json getJson(int port, const std::string& path) {
  const Reply reply = httpGet(port, path);
  EXPECT_EQ(reply.status, 200) << path << ": " << reply.body;
  return Json::parse(reply.body, nullptr, false);
}

// Every entry on both boards, page by page; the boards' totals added up.
std::vector<Json> everyListedEntry(int port, std::int64_t& totals) {
  std::vector<Json> entries;
  totals = 0;
  for (const char* edition : {"sound", "silent"}) {
    for (std::size_t offset = 0;; offset += 100) {
      const Json page = getJson(port, "/api/entries?edition=" + std::string(edition) +
                                          "&limit=100&offset=" + std::to_string(offset));
      if (offset == 0) totals += page.value("total", std::int64_t{-1});
      if (!page.contains("entries") || page["entries"].empty()) break;
      for (const Json& entry : page["entries"]) entries.push_back(entry);
    }
  }
  return entries;
}

void expectEachAcknowledgedOnce(int port, const std::vector<Answer>& answers) {
  std::map<std::int64_t, std::size_t> acknowledged;  // entry id: submission
  for (std::size_t i = 0; i < answers.size(); ++i) {
    const Answer& answer = answers[i];
    // Retries outlast every restart, so each submission ends acknowledged.
    ASSERT_TRUE(answer.status == 201 || answer.status == 200)
        << "submission " << i << ": " << answer.status << " " << answer.body;
    ASSERT_TRUE(acknowledged.emplace(answer.id, i).second)
        << "submissions " << acknowledged[answer.id] << " and " << i << " share entry "
        << answer.id;
    const std::string path = "/api/entries/" + std::to_string(answer.id);
    const Json stored = getJson(port, path);
    const Json told = Json::parse(answer.body);
    EXPECT_EQ(stored.value("name", ""), soakSubmission(i).name) << path;
    EXPECT_EQ(stored.value("score", -1), told.value("score", -2)) << path;
    EXPECT_EQ(httpGet(port, path + "/replay").body, soakSubmission(i).replay) << path;
  }

  std::int64_t totals = 0;
  std::set<std::int64_t> listed;
  std::set<std::string> replays;
  for (const Json& entry : everyListedEntry(port, totals)) {
    const std::int64_t id = entry.value("id", std::int64_t{0});
    EXPECT_TRUE(listed.insert(id).second) << "entry " << id << " listed twice";
    const std::string replay = httpGet(port, "/api/entries/" + std::to_string(id) + "/replay").body;
    EXPECT_TRUE(replays.insert(replay).second) << "entry " << id << "'s recording kept twice";
  }
  std::set<std::int64_t> acknowledgedIds;
  for (const auto& [id, submission] : acknowledged) acknowledgedIds.insert(id);
  EXPECT_EQ(listed, acknowledgedIds);
  EXPECT_EQ(totals, static_cast<std::int64_t>(acknowledged.size()));
}

// How the crowd fared, for the log; and the attempts that met no server.
int connectionFailures(const std::vector<Answer>& answers) {
  int failures = 0;
  int refusals = 0;
  int againAfterLoss = 0;
  for (const Answer& answer : answers) {
    failures += answer.connectionFailures;
    refusals += answer.refusals;
    againAfterLoss += answer.status == 200 ? 1 : 0;
  }
  std::cout << answers.size() << " submissions: " << failures << " attempts met no server, "
            << refusals << " were told to wait, " << againAfterLoss
            << " came back 200 (their first answer lost)\n";
  return failures;
}

// Until the instance is verifying a recording: work in flight.
void awaitVerification(const HallProcess& hall) {
  for (int tries = 0; tries < 2000; ++tries) {
    if (!testsupport::childProcesses(hall.pid()).empty()) return;
    std::this_thread::sleep_for(1ms);
  }
  FAIL() << "the instance verified nothing for 2 s";
}

bool needsPostgresql() {
  if (std::getenv("PGHOST") != nullptr) return false;
  std::cout << "needs a PostgreSQL cluster: run it under pg_virtualenv (soak_postgresql.sh)\n";
  return true;
}

TEST(HallSoak, SqliteKilledTwiceLosesNothing) {
  const testsupport::ScratchDirectory directory("kestal-hall-soak");
  HallProcess hall(
      hallOn("sqlite:" + (directory / "hall.sqlite").string(), directory / "hall.log"));
  Endpoints endpoints({hall.port()});
  LoadRun run(endpoints, SUBMISSIONS, soakSubmission, LoadOptions{.clients = CLIENTS});
  for (const std::size_t answered : {SUBMISSIONS / 4, SUBMISSIONS * 3 / 5}) {
    waitUntilAnswered(run, answered);
    hall.kill();
    std::this_thread::sleep_for(100ms);  // clients meet a closed port for a while
    hall.start();
    endpoints.setPort(0, hall.port());
  }
  const std::vector<Answer>& answers = run.wait();
  // The kills came while clients were submitting, or this proves nothing.
  EXPECT_GT(connectionFailures(answers), 0);
  expectEachAcknowledgedOnce(hall.port(), answers);
}

TEST(HallSoak, PostgresqlOneOfTwoBehindNginxKilledLosesNothing) {
  if (needsPostgresql()) GTEST_SKIP() << "needs a PostgreSQL cluster";
  const testsupport::ScratchDirectory directory("kestal-hall-soak");
  // One after the other: the first creates the schema.
  HallProcess doomed(hallOn("postgresql://", directory / "doomed.log"));
  HallProcess survivor(hallOn("postgresql://", directory / "survivor.log"));
  const kestal::hall::test::NginxFront nginx(directory.path(), KESTAL_NGINX_SITE,
                                             {doomed.port(), survivor.port()});
  Endpoints endpoints({nginx.port()});
  const auto start = Clock::now();
  LoadRun run(endpoints, SUBMISSIONS, soakSubmission, LoadOptions{.clients = CLIENTS});
  waitUntilAnswered(run, SUBMISSIONS / 3);
  awaitVerification(doomed);
  doomed.kill();
  const std::vector<Answer>& answers = run.wait();
  const PhaseFigures figures = phaseFigures(answers);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::cout << "through nginx: " << figures.acknowledged / seconds << " submissions a second, "
            << "answers in " << figures.medianSeconds << " s (median), " << figures.p99Seconds
            << " s (99th percentile)\n";
  // nginx passes what the lost instance did not answer on to the other: the players see at
  // most a retry, and nginx's log shows what it passed on.
  connectionFailures(answers);
  const std::string log = nginx.errorLog();
  EXPECT_NE(log.find("while reading response header from upstream"), std::string::npos)
      << "the killed instance had no request in flight: " << log;
  expectEachAcknowledgedOnce(nginx.port(), answers);
  expectEachAcknowledgedOnce(survivor.port(), answers);
}

// pg_ctlcluster on the throw-away cluster pg_virtualenv made.
void cluster(const std::string& action) {
  const char* version = std::getenv("PGVERSION");
  const auto done =
      testsupport::runCommand(testsupport::Launch({"pg_ctlcluster", version ? version : "15",
                                                   "regress", action, "-m", "fast"}),
                              60s);
  ASSERT_EQ(done.status, 0) << "pg_ctlcluster " << action << ": " << done.errors;
}

TEST(HallSoak, PostgresqlLostAndBackLosesNothing) {
  if (needsPostgresql()) GTEST_SKIP() << "needs a PostgreSQL cluster";
  const testsupport::ScratchDirectory directory("kestal-hall-soak");
  // A database of its own in the cluster the other case used, dropped at the end.
  const std::string database = "kestal_lost_and_back_" + std::to_string(getpid());
  const auto created = testsupport::runCommand(testsupport::Launch({"createdb", database}), 60s);
  ASSERT_EQ(created.status, 0) << created.errors;
  struct Drop {
    std::string name;
    ~Drop() { testsupport::runCommand(testsupport::Launch({"dropdb", "--if-exists", name}), 60s); }
  } drop{database};
  HallProcess hall(hallOn("postgresql:///" + database, directory / "hall.log"));
  Endpoints endpoints({hall.port()});
  constexpr std::size_t count = 80;
  LoadRun run(endpoints, count, soakSubmission,
              LoadOptions{.clients = 4, .longestWait = std::chrono::milliseconds(300)});
  waitUntilAnswered(run, count / 4);
  cluster("restart");
  waitUntilAnswered(run, count / 2);
  cluster("stop");
  const auto stopped = Clock::now();
  // While it is gone: health says so, and a submission is refused in words.
  const Reply health = httpGet(hall.port(), "/api/health");
  const Json said = Json::parse(health.body, nullptr, false);
  EXPECT_EQ(health.status, 503) << health.body;
  EXPECT_EQ(said.value("status", ""), "unavailable") << health.body;
  EXPECT_NE(said.value("error", "").find("database"), std::string::npos) << health.body;
  const std::size_t answeredWhileDown = run.answered();
  std::this_thread::sleep_until(stopped + 5s);
  EXPECT_LE(run.answered(), answeredWhileDown + 4) << "entries made without a database";
  cluster("start");
  const std::vector<Answer>& answers = run.wait();
  std::size_t refused = 0;
  for (const Answer& answer : answers) refused += static_cast<std::size_t>(answer.refusals);
  EXPECT_GT(refused, 0u) << "no submission met the database gone";
  connectionFailures(answers);
  EXPECT_EQ(getJson(hall.port(), "/api/health").value("status", ""), "ok");
  expectEachAcknowledgedOnce(hall.port(), answers);
}

}  // namespace
