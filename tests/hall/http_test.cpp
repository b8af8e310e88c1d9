// The hall's HTTP interface as a page or a hostile client meets it: a real client and bare
// sockets against the server in process, with a stub verifier and a scratch SQLite store.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <future>
#include <nlohmann/json.hpp>
#include <regex>

#include "hall/load/loopback_clients.h"
#include "tests/hall/http_test_hall.h"
#include "tests/hall/raw_http.h"

namespace kestal::hall::testing {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

std::string submission(const std::string& name, const std::string& replay) {
  return json{{"name", name}, {"replay", replay}}.dump();
}

// '@' stands for a NUL byte.
std::string withNul(std::string text) {
  std::replace(text.begin(), text.end(), '@', '\0');
  return text;
}

httplib::Result post(const TestHall& hall, const std::string& body,
                     const char* type = "application/json") {
  return hall.client().Post("/api/entries", body, type);
}

void expectHallHeaders(const httplib::Result& res, const char* type = nullptr) {
  ASSERT_TRUE(res) << httplib::to_string(res.error());
  EXPECT_EQ(res->get_header_value("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(res->get_header_value("Cache-Control"), "no-store");
  EXPECT_EQ(res->get_header_value("Content-Type"), type ? type : "application/json; charset=utf-8");
}

void expectHealthy(const TestHall& hall) {
  const auto res = hall.client().Get("/api/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(json::parse(res->body).at("status"), "ok");
}

// The answer's status, its headers, and its error sentence containing `says`.
void expectRefusal(const httplib::Result& res, int status, const std::string& says) {
  expectHallHeaders(res);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, status);
  const std::string error = json::parse(res->body).at("error");
  EXPECT_NE(error.find(says), std::string::npos) << error;
}

TEST(HallHttp, HostileOrFailedSubmissionsAreRefusedInWords) {
  TestHall hall;
  struct Case {
    const char* label;
    std::string body;
    const char* type;
    int status;
    const char* says;
  };
  const char* const kJson = "application/json";
  const Case cases[] = {
      {"truncated", R"({"name": "Ann", "rep)", kJson, 400, "not valid JSON"},
      {"an array", "[1, 2]", kJson, 400, "JSON object"},
      {"name a number", R"({"name": 5, "replay": "score 1"})", kJson, 400, "\"name\""},
      {"no replay", R"({"name": "Ann"})", kJson, 400, "\"replay\""},
      {"replay a list", R"({"name": "Ann", "replay": ["score 1"]})", kJson, 400, "\"replay\""},
      {"raw NUL", withNul(R"({"name": "A@n", "replay": "score 1"})"), kJson, 400, "NUL"},
      {"escaped NUL", R"({"name": "Ann", "replay": "score 1\u0000"})", kJson, 400, "NUL"},
      {"invalid UTF-8", "{\"name\": \"\xC3\x28\", \"replay\": \"score 1\"}", kJson, 400, "UTF-8"},
      {"lone surrogate", R"({"name": "\ud800", "replay": "score 1"})", kJson, 400, "JSON"},
      {"deep nesting", std::string(100000, '['), kJson, 400, "nested"},
      {"25 characters", submission(std::string(25, 'x'), "score 1"), kJson, 400, "24"},
      {"blank name", submission(" \t\u3000 ", "score 1"), kJson, 400, "give a name"},
      {"C0 control",
       submission("A\x07"
                  "B",
                  "score 1"),
       kJson, 400, "control"},
      {"DEL",
       submission("A\x7F"
                  "B",
                  "score 1"),
       kJson, 400, "control"},
      {"C1 control", submission("A\u0085B", "score 1"), kJson, 400, "control"},
      {"unreadable script", submission("Ann", "bad"), kJson, 400, "\"bad\" is no key"},
      {"no game", submission("Ann", "refuse"), kJson, 422, "no game"},
      {"check failed", submission("Ann", "fail"), kJson, 500, "ran out of time"},
      {"verifier threw", submission("Ann", "throw"), kJson, 500, "error"},
      {"plain text", submission("Ann", "score 1"), "text/plain", 415, "JSON"},
      {"a form", "--x\r\nContent-Disposition: form-data; name=\"name\"\r\n\r\nAnn\r\n--x--\r\n",
       "multipart/form-data; boundary=x", 415, "JSON"},
      {"other charset", submission("Ann", "score 1"), "application/json; charset=latin1", 415,
       "JSON"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    expectRefusal(post(hall, c.body, c.type), c.status, c.says);
    expectHealthy(hall);
  }
  EXPECT_EQ(hall.store->list("sound", 100, 0).total, 0);
}

TEST(HallHttp, NamesAreTrimmedAndOtherwiseKeptExactly) {
  TestHall hall;
  std::string longest = "\U0001F680 ";  // 24 code points, 48 bytes
  for (int i = 0; i < 22; ++i) longest += "\u00E9";
  const std::pair<std::string, std::string> names[] = {
      {"x'); DROP TABLE e;--", "x'); DROP TABLE e;--"},
      {"<b onclick=alert(1)>", "<b onclick=alert(1)>"},
      {"\t \"quoted\" & \\ \u00A0", "\"quoted\" & \\"},
      {longest, longest},
  };
  int score = 0;
  for (const auto& [given, kept] : names) {
    SCOPED_TRACE(kept);
    const auto res = post(hall, submission(given, "score " + std::to_string(++score)));
    expectHallHeaders(res);
    ASSERT_EQ(res->status, 201) << res->body;
    EXPECT_EQ(json::parse(res->body).at("name"), kept);
  }
}

TEST(HallHttp, OneRecordingMakesOneEntryReadBackWhole) {
  TestHall hall;
  const auto first = post(hall, submission("Ann", "score 700"));
  expectHallHeaders(first);
  ASSERT_EQ(first->status, 201);
  const json entry = json::parse(first->body);
  EXPECT_EQ(entry.at("score"), 700);
  EXPECT_EQ(entry.at("edition"), "sound");
  EXPECT_EQ(entry.at("rank"), 1);
  EXPECT_EQ(entry.at("total"), 1);
  EXPECT_TRUE(std::regex_match(entry.at("date").get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));

  const auto second = post(hall, submission("Bob", "score 700"));
  EXPECT_EQ(second->status, 200);
  EXPECT_EQ(json::parse(second->body), entry);

  const std::string path = "/api/entries/" + entry.at("id").dump();
  EXPECT_EQ(json::parse(hall.client().Get(path)->body), entry);
  const auto replay = hall.client().Get(path + "/replay");
  expectHallHeaders(replay, "text/plain; charset=utf-8");
  EXPECT_EQ(replay->body, "score 700");

  ASSERT_TRUE(hall.store->setHidden(entry.at("id"), true));
  expectRefusal(hall.client().Get(path), 404, "No entry");
  expectRefusal(hall.client().Get(path + "/replay"), 404, "No entry");
}

std::vector<std::int64_t> scores(const json& board) {
  std::vector<std::int64_t> result;
  for (const json& entry : board.at("entries")) result.push_back(entry.at("score"));
  return result;
}

TEST(HallHttp, BoardsComeInOrderAndInPages) {
  TestHall hall;
  for (const char* script : {"score 5", "score 9", "score 7", "silent 3"}) {
    ASSERT_EQ(post(hall, submission("Ann", script))->status, 201);
  }
  const json board = json::parse(hall.client().Get("/api/entries")->body);
  EXPECT_EQ(board.at("total"), 3);
  EXPECT_EQ(scores(board), (std::vector<std::int64_t>{9, 7, 5}));

  const json page = json::parse(hall.client().Get("/api/entries?limit=2&offset=1")->body);
  EXPECT_EQ(scores(page), (std::vector<std::int64_t>{7, 5}));
  EXPECT_EQ(page.at("entries").at(0).at("rank"), 2);
  const json silent = json::parse(hall.client().Get("/api/entries?edition=silent")->body);
  EXPECT_EQ(scores(silent), (std::vector<std::int64_t>{3}));

  for (const char* query : {"edition=loud", "limit=0", "limit=101", "limit=x", "limit=2.5",
                            "offset=-1", "offset=1e3", "limit="}) {
    SCOPED_TRACE(query);
    expectRefusal(hall.client().Get(std::string("/api/entries?") + query), 400, "must be");
  }
}

TEST(HallHttp, UnknownAddressesAndMethodsAnswerInJsonOnAConnectionThatStaysUsable) {
  TestHall hall;
  auto client = hall.client();
  client.set_keep_alive(true);
  struct Case {
    const char* method;
    const char* path;
    int status;
    const char* allow;
  };
  const Case cases[] = {
      {"GET", "/nowhere", 404, ""},
      {"GET", "/api/entries/abc", 404, ""},
      {"GET", "/api/entries/0", 404, ""},
      {"GET", "/api/entries/99/replay", 404, ""},
      {"POST", "/nowhere", 404, ""},
      {"DELETE", "/api/entries/1", 405, "GET, HEAD, OPTIONS"},
      {"PUT", "/api/entries", 405, "GET, HEAD, POST, OPTIONS"},
      {"POST", "/api/health", 405, "GET, HEAD, OPTIONS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    httplib::Request request;
    request.method = c.method;
    request.path = c.path;
    // httplib, like browsers, reads no body with a GET.
    if (request.method != "GET") {
      request.body = submission("Ann", "score 1");
      request.set_header("Content-Type", "application/json");
    }
    const auto res = client.send(request);
    expectRefusal(res, c.status, "");
    EXPECT_EQ(res->get_header_value("Allow"), c.allow);
    // The body was read, so the next request on the connection is read as one.
    const auto health = client.Get("/api/health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
  }
}

TEST(HallHttp, BodiesOverTheLimitGet413) {
  TestHall hall;
  expectRefusal(post(hall, std::string(10 << 20, ' ')), 413, "too large");
  expectHealthy(hall);
  // Asked first, the server refuses before a byte of the body is sent.
  const auto asked = exchangeRaw(hall.port(),
                                 "POST /api/entries HTTP/1.1\r\nHost: h\r\nContent-Type: "
                                 "application/json\r\nContent-Length: 10485760\r\n"
                                 "Expect: 100-continue\r\n\r\n");
  EXPECT_EQ(firstStatus(asked.received), 413);
  EXPECT_NE(asked.received.find("too large"), std::string::npos);
  // Chunks carry no length to check beforehand.
  std::string chunked =
      "POST /api/entries HTTP/1.1\r\nHost: h\r\nContent-Type: application/json"
      "\r\nTransfer-Encoding: chunked\r\n\r\n";
  const std::string chunk(1 << 20, 'x');
  for (int i = 0; i < 10; ++i) chunked += "100000\r\n" + chunk + "\r\n";
  const auto sent = exchangeRaw(hall.port(), chunked + "0\r\n\r\n");
  EXPECT_EQ(firstStatus(sent.received), 413);
  expectHealthy(hall);
}

TEST(HallHttp, MalformedAndStalledRequestsAreCutOff) {
  HallSetup setup;
  setup.options.readTimeout = 200ms;
  setup.options.keepAliveTimeout = 1s;
  TestHall hall(setup);
  const auto garbage = exchangeRaw(hall.port(), "NONSENSE\r\n\r\n");
  EXPECT_EQ(firstStatus(garbage.received), 400);
  for (const char* header : {"X-Content-Type-Options: nosniff", "Cache-Control: no-store",
                             "Content-Type: application/json; charset=utf-8", "{\"error\":"}) {
    EXPECT_NE(garbage.received.find(header), std::string::npos) << header;
  }
  const char* const stalls[] = {
      "GET /api/health HTTP/1.1\r\nHost:",
      "POST /api/entries HTTP/1.1\r\nHost: h\r\nContent-Type: application/json\r\n"
      "Content-Length: 100\r\n\r\n{\"name\"",
  };
  for (const char* stall : stalls) {
    EXPECT_TRUE(exchangeRaw(hall.port(), stall, true).closedByServer) << stall;
  }
  expectHealthy(hall);
}

TEST(HallHttp, ConnectionsThatSendNothingLeaveTheHallAnswering) {
  HallSetup setup;
  setup.options.readTimeout = 30s;  // longer than the client below waits
  // Fewer than the stalled ones: the longest silent make room.
  setup.options.maxConnections = 8;
  TestHall hall(setup);
  const load::StalledConnections stalled(hall.port(), 16, 1);
  ASSERT_EQ(stalled.open(), 16u);
  auto client = hall.client();
  client.set_read_timeout(5, 0);
  const auto health = client.Get("/api/health");
  ASSERT_TRUE(health) << "no answer beside 16 stalled connections";
  EXPECT_EQ(health->status, 200);
  EXPECT_EQ(post(hall, submission("Ann", "score 3"))->status, 201);
}

TEST(HallHttp, OtherSitesAreRefusedUnlessAllowed) {
  HallSetup allowing;
  allowing.options.allowOrigin = "https://kestal.example";
  TestHall own;
  TestHall open(allowing);
  const std::string ownOrigin = "http://127.0.0.1:" + std::to_string(own.port());
  struct Case {
    const TestHall& hall;
    std::string origin;
    int status;
    const char* allowed;
  };
  const Case cases[] = {
      {own, "https://evil.example", 403, ""},
      {own, "null", 403, ""},
      {own, ownOrigin, 200, ""},
      {open, "https://kestal.example", 200, "https://kestal.example"},
      {open, "https://evil.example", 403, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.origin);
    const auto res = c.hall.client().Get("/api/entries", {{"Origin", c.origin}});
    expectHallHeaders(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_EQ(res->get_header_value("Access-Control-Allow-Origin"), c.allowed);
  }
  expectRefusal(own.client().Post("/api/entries", {{"Origin", "https://evil.example"}},
                                  submission("Ann", "score 1"), "application/json"),
                403, "other sites");
  const auto preflight = open.client().Options(
      "/api/entries",
      {{"Origin", "https://kestal.example"}, {"Access-Control-Request-Method", "POST"}});
  expectHallHeaders(preflight);
  EXPECT_EQ(preflight->status, 204);
  EXPECT_NE(preflight->get_header_value("Access-Control-Allow-Methods").find("POST"),
            std::string::npos);
  EXPECT_EQ(preflight->get_header_value("Access-Control-Allow-Origin"), "https://kestal.example");
}

TEST(HallHttp, SubmissionsBeyondTheRateWaitTheirTurn) {
  HallSetup setup;
  setup.options.ratePerMinute = 2;
  TestHall hall(setup);
  // Refused bodies spend nothing.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(post(hall, "{")->status, 400);
  EXPECT_EQ(post(hall, submission("Ann", "score 1"))->status, 201);
  EXPECT_EQ(post(hall, submission("Ann", "score 2"))->status, 201);
  const auto refused = post(hall, submission("Ann", "score 3"));
  expectRefusal(refused, 429, "wait");
  const int retryAfter = std::stoi(refused->get_header_value("Retry-After"));
  EXPECT_GE(retryAfter, 1);
  EXPECT_LE(retryAfter, 30);  // one token every 30 s
  expectHealthy(hall);
}

TEST(HallHttp, AFullVerifierPoolAnswers503AtOnce) {
  HallSetup setup;
  setup.workers = 1;
  setup.queue = 0;
  TestHall hall(setup);
  auto waiting =
      std::async(std::launch::async, [&] { return post(hall, submission("Ann", "wait")); });
  hall.verifier.awaitWaiting();
  const auto busy = post(hall, submission("Bob", "score 5"));
  expectRefusal(busy, 503, "busy");
  EXPECT_FALSE(busy->get_header_value("Retry-After").empty());
  expectHealthy(hall);
  hall.verifier.open();
  EXPECT_EQ(waiting.get()->status, 201);
}

TEST(HallHttp, WhileTheWorkersAreBusyKnownGamesAnswerAndRefusalsCostNoToken) {
  HallSetup setup;
  setup.workers = 1;
  setup.queue = 0;
  setup.options.ratePerMinute = 3;
  TestHall hall(setup);
  const auto first = post(hall, submission("Ann", "score 700"));
  ASSERT_EQ(first->status, 201);
  auto waiting =
      std::async(std::launch::async, [&] { return post(hall, submission("Bob", "wait")); });
  hall.verifier.awaitWaiting();
  // Known by its digest: no worker needed, no token spent.
  const auto again = post(hall, submission("Cy", "score 700"));
  expectHallHeaders(again);
  EXPECT_EQ(again->status, 200);
  EXPECT_EQ(json::parse(again->body), json::parse(first->body));
  EXPECT_EQ(hall.verifier.verified(), 2) << "a recording the hall holds was played again";
  expectRefusal(post(hall, submission("Dee", "score 5")), 503, "busy");
  hall.verifier.open();
  EXPECT_EQ(waiting.get()->status, 201);
  // The third token is still there for the refused one.
  EXPECT_EQ(post(hall, submission("Dee", "score 5"))->status, 201);
  expectRefusal(post(hall, submission("Dee", "score 6")), 429, "wait");
}

TEST(HallHttp, AnUnreachableDatabaseAnswers503AndThenRecovers) {
  TestHall hall;
  hall.store->failing = true;
  const auto health = hall.client().Get("/api/health");
  expectRefusal(health, 503, "database");
  EXPECT_EQ(json::parse(health->body).at("status"), "unavailable");
  expectRefusal(hall.client().Get("/api/entries"), 503, "database");
  expectRefusal(hall.client().Get("/api/entries/1"), 503, "database");
  expectRefusal(post(hall, submission("Ann", "score 1")), 503, "database");
  hall.store->failing = false;
  expectHealthy(hall);
  EXPECT_EQ(post(hall, submission("Ann", "score 1"))->status, 201);
}

}  // namespace
}  // namespace kestal::hall::testing
