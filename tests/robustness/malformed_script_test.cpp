// Key scripts broken in ways no one types by hand: megabyte lines, NUL bytes, binary noise,
// numbers of hundreds of digits, a bad line after a hundred thousand good ones. Each is
// refused with one short line on stderr naming the line, status 2, and nothing run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/robustness/child_program.h"

namespace kestal::robustness {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t MEGABYTE = 1 << 20;

struct BadScript {
  std::string what;
  std::string content;
  int badLine;  // the line the message must name
};

// Starts with a control byte, so the line it begins is bad wherever the first line feed falls.
std::string noise(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\x01');
  for (std::size_t i = 1; i < size; ++i) bytes[i] = static_cast<char>(random() & 0xff);
  return bytes;
}

std::string manyGoodLines(int count) {
  std::string script;
  for (int i = 1; i <= count; ++i) script += std::to_string(i) + " a\n";
  return script;
}

std::vector<BadScript> badScripts() {
  std::vector<BadScript> scripts = {
      {"a megabyte of digits", "1 Enter\n2 a\n" + std::string(MEGABYTE, '7') + " a\n", 3},
      {"a megabyte line without an end", "1 Enter\n" + std::string(MEGABYTE, 'x'), 2},
      {"a megabyte of blanks before an event", std::string(MEGABYTE, ' ') + "1 a\n", 1},
      {"a megabyte key name", "1 " + std::string(MEGABYTE, 'E') + "\n", 1},
      {"a NUL inside a key name", std::string("1 a\n2 Ent\0er\n", 13), 2},
      {"a megabyte of NUL bytes", std::string(MEGABYTE, '\0'), 1},
      {"a megabyte of binary noise", noise(MEGABYTE, 7), 1},
      {"noise after good lines", "1 a\n2 b\n" + noise(4096, 8), 3},
      {"a retrace of 2^64", "18446744073709551616 a\n", 1},
      {"a retrace of 200 digits", std::string(200, '9') + " a\n", 1},
      {"a key code of 200 digits", "1 code:" + std::string(200, '9') + "\n", 1},
      {"a negative key code", "1 code:-1\n", 1},
      {"a UTF-8 key", "1 \xc3\xa9\n", 1},
      {"carriage returns without line feeds", "1 a\r2 b\r3 c\r", 1},
      {"a late retrace after 100000 good lines", manyGoodLines(100000) + "5 a\n", 100001},
  };
  return scripts;
}

void expectRefusedWithOneLine(const ProgramResult& result, int badLine, const std::string& what) {
  ASSERT_TRUE(result.exited) << what << ": " << result.err.substr(0, 2000);
  EXPECT_EQ(result.status, 2) << what;
  EXPECT_EQ(result.out, "") << what;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << what;
  EXPECT_TRUE(result.err.ends_with("\n")) << what;
  EXPECT_LT(result.err.size(), 600u) << what << ": the message should not echo the input";
  EXPECT_NE(result.err.find("line " + std::to_string(badLine) + ":"), std::string::npos)
      << what << ": " << result.err.substr(0, 400);
}

TEST(MalformedScripts, AreRefusedWithOneLineAndStatusTwoFromFileAndStandardInput) {
  ScratchDirectory dir;
  const fs::path keys = dir / "keys.txt";
  const fs::path statePath = dir / "state.jsonl";
  for (const BadScript& bad : badScripts()) {
    writeWholeFile(keys, bad.content);
    ProgramCall fromFile;
    fromFile.arguments = {KESTAL_REPLAY_BINARY, "--keys", keys.string(), "--state",
                          statePath.string()};
    fromFile.timeout = std::chrono::seconds(120);
    expectRefusedWithOneLine(runProgram(fromFile), bad.badLine, bad.what + " (file)");
    EXPECT_FALSE(fs::exists(statePath)) << bad.what << ": something ran";

    ProgramCall fromInput = fromFile;
    fromInput.arguments = {KESTAL_REPLAY_BINARY, "--keys", "-", "--state", statePath.string()};
    fromInput.standardInput = keys;
    expectRefusedWithOneLine(runProgram(fromInput), bad.badLine, bad.what + " (standard input)");
    EXPECT_FALSE(fs::exists(statePath)) << bad.what << ": something ran";
  }
}

}  // namespace
}  // namespace kestal::robustness
