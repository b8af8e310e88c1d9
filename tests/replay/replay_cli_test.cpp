// The replay tool as scripts and checkers use it: the real binary, its files and status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ReplayCli : public ::testing::Test {
 protected:
  struct Outcome {
    int status;
    std::string errorText;
  };

  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("replay-" + std::string(test->name()) + "-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  void writeFile(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
  }

  std::string readFile(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::vector<std::string> lines(const std::string& name) const {
    std::istringstream in(readFile(name));
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  Outcome run(const std::string& arguments, const std::string& input = "/dev/null") const {
    // A run that hangs fails with timeout's status 124 instead of stopping the suite.
    const std::string command = "timeout 120 " + std::string(KESTAL_REPLAY_BINARY) + " " +
                                arguments + " < " + input + " 2> " + path("stderr.txt");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile("stderr.txt")};
  }

  // Status 2 and exactly one line on stderr that contains every one of `words`.
  void expectRefused(const Outcome& outcome, const std::vector<std::string>& words,
                     const std::string& what) const {
    EXPECT_EQ(outcome.status, 2) << what;
    EXPECT_EQ(std::count(outcome.errorText.begin(), outcome.errorText.end(), '\n'), 1)
        << what << ": " << outcome.errorText;
    for (const std::string& word : words) {
      EXPECT_NE(outcome.errorText.find(word), std::string::npos)
          << what << ": " << outcome.errorText;
    }
  }

  fs::path dir_;
};

TEST_F(ReplayCli, BadCommandLinesAreRefused) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"--bogus", {"unknown option", "--bogus"}},
      {"extra", {"unknown option", "extra"}},
      {"--frames", {"--frames", "needs a value"}},
      {"--frames --trace t", {"--frames", "needs a value"}},
      {"--frames 12x", {"--frames", "12x"}},
      {"--frames -5", {"--frames", "-5"}},
      {"--frames 99999999999999999999999", {"--frames", "too large"}},
      {"--edition loud", {"--edition", "loud"}},
      {"--frames 5 --frames 6", {"--frames", "twice"}},
      {"--png-at 5", {"--png-at", "--out"}},
      {"--png-at 1,,2 --out " + path("pics"), {"--png-at", "1,,2"}},
      {"--png-at 3,x --out " + path("pics"), {"--png-at", "3,x"}},
      {"--png-at 3,99999999999999999999 --out " + path("pics"), {"--png-at", "too large"}},
      {"--keys " + path("missing.txt"), {"missing.txt"}},
      {"--trace /nonexistent-dir/trace.txt", {"/nonexistent-dir/trace.txt"}},
  };
  for (const auto& [arguments, words] : cases) expectRefused(run(arguments), words, arguments);
  EXPECT_FALSE(fs::exists(path("pics")));
}

TEST_F(ReplayCli, BadScriptsAreRefusedBeforeAnythingRuns) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"1 Enter\n3 Foo\n", {"line 2", "Foo"}},
      {"# comment\n\n7\n", {"line 3"}},
      {"1 a b\n", {"line 1"}},
      {"5 a\n4 b\n", {"line 2", "smaller"}},
      {"1 a\n99999999999999999999999 b\n", {"line 2", "too large"}},
      {"1 code:256\n", {"line 1", "code:256"}},
      {"1 code:65791\n", {"line 1", "code:65791"}},
      {"1 a\n2 \x01\xfe\n", {"line 2", "0x01"}},
      {std::string(50000, '1') + " a\n", {"line 1", "longer"}},
  };
  for (const auto& [script, words] : cases) {
    writeFile("keys.txt", script);
    expectRefused(run("--keys " + path("keys.txt") + " --trace " + path("trace.txt")), words,
                  script.substr(0, 40));
    EXPECT_FALSE(fs::exists(path("trace.txt"))) << script.substr(0, 40);
  }
  writeFile("stdin.txt", "1 Enter\n2 Pause\n");
  expectRefused(run("--keys -", path("stdin.txt")), {"line 2", "Pause"}, "standard input");
  expectRefused(run("--keys " + dir_.string()), {dir_.string()}, "directory as key file");
}

TEST_F(ReplayCli, TheRetraceGivenByFramesIsTheLastRecorded) {
  writeFile("keys.txt", "1 Enter\n");
  const Outcome outcome = run("--keys " + path("keys.txt") + " --frames 50 --trace " +
                              path("trace.txt") + " --state " + path("state.txt"));
  EXPECT_EQ(outcome.status, 0) << outcome.errorText;
  EXPECT_EQ(outcome.errorText, "");
  const std::vector<std::string> trace = lines("trace.txt");
  const std::vector<std::string> state = lines("state.txt");
  ASSERT_EQ(trace.size(), 50u);
  ASSERT_EQ(state.size(), 50u);
  const std::regex traceLine("[0-9]+ [0-9a-f]{16} [0-9a-f]{16}");
  const std::regex stateLine(
      "\\{\"retrace\":([0-9]+),\"levelIndex\":[-0-9.e]+,\"score\":[-0-9.e]+,\"mineCount\":"
      "[-0-9.e]+,\"minesKilled\":[-0-9.e]+,\"shipX\":[-0-9.e]+,\"shipY\":[-0-9.e]+,\"shipVx\":"
      "[-0-9.e]+,\"shipVy\":[-0-9.e]+,\"shieldEnergy\":[-0-9.e]+,\"engineHeat\":[-0-9.e]+,"
      "\"laserTimer\":[-0-9.e]+,\"delayCount\":[-0-9.e]+,\"randomDraws\":[0-9]+\\}");
  for (std::size_t i = 0; i < 50; ++i) {
    const std::string number = std::to_string(i + 1);
    EXPECT_TRUE(std::regex_match(trace[i], traceLine)) << trace[i];
    EXPECT_EQ(trace[i].substr(0, trace[i].find(' ')), number);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(state[i], match, stateLine)) << state[i];
    EXPECT_EQ(match[1], number);
  }
  // Enter at the Delay prompt: the zero delay becomes the sound edition's 1.
  EXPECT_NE(state.back().find("\"delayCount\":1,"), std::string::npos) << state.back();

  EXPECT_EQ(run("--frames 0 --trace " + path("t0.txt") + " --state " + path("s0.txt")).status, 0);
  EXPECT_TRUE(fs::exists(path("t0.txt")));
  EXPECT_TRUE(fs::exists(path("s0.txt")));
  EXPECT_EQ(fs::file_size(path("t0.txt")), 0u);
  EXPECT_EQ(fs::file_size(path("s0.txt")), 0u);
}

TEST_F(ReplayCli, TheGameEndingTheProgramEndsTheRun) {
  // The first prompt pass waits for retrace 1; the second reads Escape and ends the program.
  writeFile("stdin.txt", "1 Escape\n");
  for (const char* edition : {"sound", "silent"}) {
    const Outcome outcome =
        run(std::string("--edition ") + edition + " --keys - --trace " + path("trace.txt"),
            path("stdin.txt"));
    EXPECT_EQ(outcome.status, 0) << edition << ": " << outcome.errorText;
    EXPECT_EQ(lines("trace.txt").size(), 1u) << edition;
  }
}

TEST_F(ReplayCli, APauseWithoutRetracesTakesTheNextKeyOrEndsTheRun) {
  // Enter leaves the prompt after retrace 2; frames 1..3 of play wait for retraces 3..5; the
  // fourth frame reads p, waits for retrace 6, and the pause dims over retraces 7..70.
  writeFile("keys.txt", "1 Enter\n5 p\n");
  Outcome outcome = run("--keys " + path("keys.txt") + " --trace " + path("trace.txt"));
  EXPECT_EQ(outcome.status, 0) << outcome.errorText;
  EXPECT_EQ(lines("trace.txt").size(), 70u);

  writeFile("keys.txt", "1 Enter\n5 p\n100000 x\n");
  outcome = run("--keys " + path("keys.txt") + " --frames 300 --trace " + path("trace.txt"));
  EXPECT_EQ(outcome.status, 0) << outcome.errorText;
  EXPECT_EQ(lines("trace.txt").size(), 300u);

  // The Delay prompt polls once per retrace: those polls never add up to an early key.
  writeFile("keys.txt", "1200 Escape\n");
  outcome = run("--keys " + path("keys.txt") + " --trace " + path("trace.txt"));
  EXPECT_EQ(outcome.status, 0) << outcome.errorText;
  EXPECT_EQ(lines("trace.txt").size(), 1200u);
}

TEST_F(ReplayCli, TheSameScriptGivesTheSameRecording) {
  writeFile("keys.txt", "1 Enter\n10 Space\n12 Up\n20 Right\n30 Enter\n40 =\n");
  const std::string outputs =
      " --frames 200 --trace " + path("trace.txt") + " --state " + path("state.txt");
  ASSERT_EQ(run("--keys " + path("keys.txt") + outputs).status, 0);
  const std::string firstTrace = readFile("trace.txt");
  const std::string firstState = readFile("state.txt");
  ASSERT_EQ(run("--keys " + path("keys.txt") + outputs).status, 0);
  EXPECT_EQ(readFile("trace.txt"), firstTrace);
  EXPECT_EQ(readFile("state.txt"), firstState);

  // The keys do reach the game: without the thrust the ship ends up elsewhere.
  writeFile("keys.txt", "1 Enter\n10 Space\n30 Enter\n40 =\n");
  ASSERT_EQ(run("--keys " + path("keys.txt") + outputs).status, 0);
  EXPECT_NE(readFile("state.txt"), firstState);
  EXPECT_NE(readFile("trace.txt"), firstTrace);
}

}  // namespace
