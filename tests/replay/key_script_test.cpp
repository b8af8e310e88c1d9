#include "replay/key_script.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "replay/recording_limits.h"

namespace {

using kestal::replay::KeyEvent;
using kestal::replay::KeyScript;
using kestal::replay::parseKeyName;
using kestal::replay::parseKeyScript;

KeyScript parse(const std::string& text) {
  std::istringstream in(text);
  return parseKeyScript(in);
}

int entryOf(const std::string& name) {
  const auto key = parseKeyName(name);
  EXPECT_EQ(key.error, "") << name;
  return key.entry;
}

TEST(KeyScriptNames, NamesGiveTheQueueEntries) {
  EXPECT_EQ(entryOf("Enter"), 13);
  EXPECT_EQ(entryOf("Escape"), 27);
  EXPECT_EQ(entryOf("Backspace"), 8);
  EXPECT_EQ(entryOf("Tab"), 9);
  EXPECT_EQ(entryOf("Space"), 32);
  EXPECT_EQ(entryOf("Up"), 72 * 256 + 255);
  EXPECT_EQ(entryOf("Down"), 80 * 256 + 255);
  EXPECT_EQ(entryOf("Left"), 75 * 256 + 255);
  EXPECT_EQ(entryOf("Right"), 77 * 256 + 255);
  EXPECT_EQ(entryOf("Close"), 107 * 256 + 255);
  EXPECT_EQ(entryOf("a"), 97);
  EXPECT_EQ(entryOf("Q"), 81);
  EXPECT_EQ(entryOf("!"), 33);
  EXPECT_EQ(entryOf("~"), 126);
  EXPECT_EQ(entryOf("#"), 35);
  EXPECT_EQ(entryOf("code:0"), 0);
  EXPECT_EQ(entryOf("code:255"), 255);
  EXPECT_EQ(entryOf("code:511"), 511);
  EXPECT_EQ(entryOf("code:65535"), 65535);
}

TEST(KeyScriptNames, AnythingElseIsRefused) {
  for (const char* bad : {"enter", "UP", "Pause", "ab", "code:", "code:x", "code:-1", "code:256",
                          "code:510", "code:65791", "code:99999999999999999999999"}) {
    EXPECT_NE(parseKeyName(bad).error, "") << bad;
  }
}

TEST(KeyScript, CommentsBlanksAndLineEndsAreIgnored) {
  const KeyScript script =
      parse("# start\n\n  0 Enter\r\n\t3\t a \n   \n  # indented comment\n3 #\n10 code:18687");
  EXPECT_EQ(script.error, "");
  EXPECT_EQ(script.events, (std::vector<KeyEvent>{{0, 13}, {3, 97}, {3, 35}, {10, 18687}}));
  EXPECT_TRUE(parse("").events.empty());
  EXPECT_EQ(parse("").error, "");
}

// The binary's own tests cover the other refusals; these are the finer points of reading.
TEST(KeyScript, ErrorsNameTheLine) {
  const auto errorOf = [](const std::string& text) { return parse(text).error; };
  EXPECT_EQ(errorOf("1 a\n# x\n3 Foo\n"), "line 3: unknown key name 'Foo'");
  EXPECT_EQ(errorOf("5 a\n4 b\n"), "line 2: retrace 4 is smaller than 5 on the line before");
  EXPECT_EQ(errorOf("-1 a\n"), "line 1: retrace '-1' is not a whole number");
  EXPECT_EQ(errorOf("1.5 a\n"), "line 1: retrace '1.5' is not a whole number");
  EXPECT_EQ(errorOf(std::string("1 a\n2 b\n3 \0", 11)), "line 3: byte 0x00 is not printable text");
  EXPECT_EQ(errorOf("1 a\r\r\n"), "line 1: byte 0x0d is not printable text");
  // A failed script hands back no events to run with.
  EXPECT_TRUE(parse("1 a\n2 Foo\n").events.empty());
}

// Every reader of a recording stops at the same limits and says by how much they are passed.
TEST(KeyScript, LimitsAreKeptToTheByteTheEventAndTheRetrace) {
  const auto events = [](std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += "7 a\n";
    return text;
  };
  std::string padding;  // exactly the most a recording may have, in comment lines
  while (padding.size() < kestal::replay::RECORDING_MAX_BYTES)
    padding += "#" + std::string(254, 'x') + "\n";
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {events(200000), ""},
      {events(200003), "has 200003 key events, 3 more than the 200000 a recording may have"},
      {"216000 a\n", ""},
      {"1 a\n216001 a\n",
       "line 2: retrace 216001 is 1 after the last one a recording may use (216000, an hour at "
       "60 Hz)"},
      {padding, ""},
      {padding + "\n\n",
       "is 4194306 bytes, 2 more than the 4194304 bytes (4 MiB) a recording may have"},
  };
  for (const Case& c : cases) {
    const KeyScript script = parse(c.text);
    EXPECT_EQ(script.error, c.error) << c.text.substr(0, 20);
    EXPECT_EQ(script.events.empty(), !c.error.empty() || c.text.starts_with('#'));
  }
}

TEST(KeyScript, ArbitraryBytesGiveAScriptOrAnError) {
  std::mt19937 random(12345);
  const std::string alphabet = "0123456789 \t\r\n#:acodeEnterUpSpace\x7f\xff";
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 60, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const KeyScript script = parse(text);
    if (!script.error.empty()) {
      EXPECT_EQ(script.error.rfind("line ", 0), 0u) << text;
      continue;
    }
    for (std::size_t i = 0; i < script.events.size(); ++i) {
      const int entry = script.events[i].entry;
      EXPECT_TRUE(entry >= 0 && (entry <= 255 || (entry <= 65535 && entry % 256 == 255)));
      if (i > 0) {
        EXPECT_LE(script.events[i - 1].retrace, script.events[i].retrace);
      }
    }
  }
}

}  // namespace
