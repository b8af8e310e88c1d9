// Verification finds what the replay tool finds, whatever the recording claims, and the same
// with or without the busy waits.
#include "hall/verify/verification.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/edition.h"
#include "game/game.h"
#include "game/game_state.h"
#include "hall/verify/child_verifier.h"
#include "platform/headless/headless_display.h"
#include "replay/display_trace.h"
#include "replay/key_playback.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"

namespace {

using namespace kestal;
using namespace kestal::hall;
namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const fs::path SOURCE = KESTAL_SOURCE_DIR;
const std::string WHOLE_GAME = readText(SOURCE / "tests/regression/whole_game.keys");

// The number after "key": in the replay tool's last state line.
double lastStateValue(const std::string& stateLines, const std::string& key) {
  const std::size_t lineStart = stateLines.rfind('{');
  const std::size_t at = stateLines.find("\"" + key + "\":", lineStart);
  return std::stod(stateLines.substr(at + key.size() + 3));
}

TEST(Verification, EachGameEndsWhereTheReplayToolEnds) {
  for (const char* script :
       {"tests/regression/whole_game.keys", "tests/robustness/fuzz/seeds/play_and_quit.keys"}) {
    SCOPED_TRACE(script);
    const testsupport::ScratchDirectory scratch("kestal-verify");
    const fs::path state = scratch / "state.jsonl";
    const auto replay = testsupport::runCommand(
        testsupport::Launch({KESTAL_REPLAY_BINARY, "--keys", (SOURCE / script).string(), "--frames",
                             "216000", "--state", state.string()}),
        std::chrono::seconds(120));
    ASSERT_EQ(replay.status, 0) << replay.errors;
    const std::string lines = readText(state);

    const Verification found = verifyRecording(readText(SOURCE / script));
    ASSERT_EQ(found.status, VerificationStatus::Verified) << found.error;
    const GameOutcome& last = found.games.back();
    EXPECT_EQ(last.score, lastStateValue(lines, "score"));
    EXPECT_EQ(last.level, lastStateValue(lines, "levelIndex") + 1);
    EXPECT_EQ(last.minesKilled, lastStateValue(lines, "minesKilled"));
  }
}

TEST(Verification, TakesTheBestGameAndBelievesNoHeader) {
  const Verification plain = verifyRecording(WHOLE_GAME);
  ASSERT_EQ(plain.status, VerificationStatus::Verified) << plain.error;
  // The pilot's first game scores; the second is left at once with Escape.
  ASSERT_EQ(plain.games.size(), 2u);
  EXPECT_GT(plain.games[0].score, plain.games[1].score);
  EXPECT_EQ(plain.best, plain.games[0]);
  EXPECT_GT(plain.best.level, 1);

  const Verification lying = verifyRecording(
      "# edition: sound\n# frames: 12\n# score: 999999\n# version: " + std::string(gameVersion()) +
      "\n# level: 11\n" + WHOLE_GAME);
  EXPECT_EQ(lying.best, plain.best);
  EXPECT_EQ(lying.recordingDigest, plain.recordingDigest);
  EXPECT_NE(verifyRecording("# edition: silent\n" + WHOLE_GAME).recordingDigest,
            plain.recordingDigest);
}

TEST(Verification, RefusesWhatIsNoFinishedGame) {
  struct Case {
    std::string script;
    VerificationStatus status;
    std::string sentencePart;
  };
  const std::vector<Case> cases = {
      {"1 Escape\n", VerificationStatus::Refused, "holds no game"},
      {"1 Enter\n30 Up\n", VerificationStatus::Refused, "middle of a game"},
      {"# version: 1.9\n" + WHOLE_GAME, VerificationStatus::Refused,
       "version '1.9' of the game; the hall verifies games of version " +
           std::string(gameVersion())},
      {"# edition: loud\n" + WHOLE_GAME, VerificationStatus::BadScript, "'loud'"},
      {"1 Enter\n2 Foo\n", VerificationStatus::BadScript, "line 2: unknown key name 'Foo'"},
  };
  for (const Case& c : cases) {
    const Verification v = verifyRecording(c.script);
    EXPECT_EQ(v.status, c.status) << c.script.substr(0, 40);
    EXPECT_NE(v.error.find(c.sentencePart), std::string::npos) << v.error;
  }
}

// The long group's: an hour of play replayed.
TEST(VerificationLong, AGameStillOnAfterAnHourIsRefused) {
  const Verification v = verifyRecording("1 Enter\n215999 Up\n");
  EXPECT_EQ(v.status, VerificationStatus::Refused);
  EXPECT_NE(v.error.find("has not ended within an hour of play"), std::string::npos) << v.error;
}

// The display's trace up to `lastRetrace`, with or without the busy waits.
std::string traceOf(const std::string& script, bool busyWaits, std::uint64_t lastRetrace) {
  std::istringstream in(script);
  replay::KeyPlayback keys(replay::parseKeyScript(in).events, pushKey);
  std::string trace;
  char line[replay::TRACE_LINE_MAX_CHARS];
  HeadlessDisplay display({
      .onOpen = [&] { keys.deliverUpTo(0); },
      .onRetrace =
          [&](std::uint64_t retrace) {
            trace.append(line, replay::appendDisplayTraceLine(line, retrace));
            if (retrace == lastRetrace) throw ProgramExit{0};
            keys.deliverUpTo(retrace);
          },
      .onEmptyPoll =
          [&] {
            if (!keys.emptyPoll()) throw ProgramExit{0};
          },
  });
  setDisplayBackend(&display);
  const auto state = std::make_unique<GameState>();
  NoSound sound;
  display.run([&] { runGame(*state, SOUND_EDITION, sound, {.busyWaits = busyWaits}); });
  setDisplayBackend(nullptr);
  return trace;
}

TEST(Verification, BusyWaitsChangeNoTrace) {
  // A delay of 300 in the pilot's game, through its pause and first warp (a warp's busy wait
  // draws 300 random numbers a step) into the second level.
  std::string script = WHOLE_GAME;
  script.replace(script.find("\n1 1\n"), 5, "\n1 3\n1 0\n1 0\n");
  const std::string waited = traceOf(script, true, 1500);
  EXPECT_EQ(std::count(waited.begin(), waited.end(), '\n'), 1500);
  EXPECT_EQ(traceOf(script, false, 1500), waited);
}

TEST(Verification, AChildProcessFindsTheSameOrFailsInWords) {
  const Verification inProcess = verifyRecording(WHOLE_GAME);
  const Verification child = verifyInChild(WHOLE_GAME, {.program = KESTAL_HALL_BINARY});
  EXPECT_EQ(child.status, VerificationStatus::Verified) << child.error;
  EXPECT_EQ(child.best, inProcess.best);
  EXPECT_EQ(child.games, inProcess.games);
  EXPECT_EQ(child.recordingDigest, inProcess.recordingDigest);

  for (const ChildLimits& broken :
       {ChildLimits{.time = std::chrono::milliseconds(50), .program = KESTAL_HALL_BINARY},
        ChildLimits{.program = "/bin/false"},
        ChildLimits{.memoryBytes = 8u << 20, .program = KESTAL_HALL_BINARY}}) {
    if (broken.memoryBytes < (1u << 30) && !childMemoryIsBounded()) continue;
    const Verification failed = verifyInChild(WHOLE_GAME, broken);
    EXPECT_EQ(failed.status, VerificationStatus::Failed) << broken.program;
    EXPECT_NE(failed.error, "");
  }
}

TEST(Verification, EveryStatusCrossesTheChildsJsonUnchanged) {
  Verification whole;
  whole.edition = "silent";
  whole.best = {.score = 33, .level = 4, .victory = false, .minesKilled = 2, .retraces = 9673};
  whole.games = {{.score = 0, .level = 1}, whole.best};
  whole.recordingDigest = "055d07c7";
  for (const auto status :
       {VerificationStatus::Verified, VerificationStatus::BadScript, VerificationStatus::Refused,
        VerificationStatus::Failed, VerificationStatus::Unavailable}) {
    Verification sent = whole;
    sent.status = status;
    if (status != VerificationStatus::Verified) sent.error = "said in words";
    const Verification read = verificationFromJson(verificationJson(sent));
    EXPECT_EQ(read.status, status) << verificationJson(sent);
    EXPECT_EQ(read.error, sent.error);
    if (status == VerificationStatus::Verified) {
      EXPECT_EQ(read.games, sent.games);
      EXPECT_EQ(read.best, sent.best);
      EXPECT_EQ(read.recordingDigest, sent.recordingDigest);
    }
  }
}

// The child as KESTAL_PROBE has it behave (see verify_child_probe.cpp).
Verification probeChild(const char* mode, const std::string& script,
                        std::chrono::milliseconds time = std::chrono::seconds(20)) {
  setenv("KESTAL_PROBE", mode, 1);
  const Verification verification =
      verifyInChild(script, {.time = time, .program = KESTAL_CHILD_PROBE});
  unsetenv("KESTAL_PROBE");
  return verification;
}

TEST(Verification, AChildHoldsOnlyItsStandardDescriptors) {
  // Descriptors the child could inherit, as a server's connections would be.
  int connection[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, connection), 0);
  const int listening = socket(AF_INET, SOCK_STREAM, 0);
  const Verification child = probeChild("fds", WHOLE_GAME);
  EXPECT_EQ(child.error, "0 1 2");
  for (const int fd : {connection[0], connection[1], listening}) close(fd);
}

TEST(Verification, AChildThatStopsReadingOrFloodsItsOutputIsEnded) {
  const auto start = std::chrono::steady_clock::now();
  // More than a pipe holds: the writing waits on the child.
  const Verification stuck =
      probeChild("never-reads", std::string(1 << 20, '#'), std::chrono::milliseconds(500));
  EXPECT_EQ(stuck.status, VerificationStatus::Failed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30))
      << "the deadline did not bound the writing";
  const Verification flooded = probeChild("floods", WHOLE_GAME);
  EXPECT_EQ(flooded.status, VerificationStatus::Failed);
}

}  // namespace
