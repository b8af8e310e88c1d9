// Recording the keys of a game as it is played, and playing them back: the replay of a
// recording must repeat the game exactly, whenever the keys arrived.
#include "replay/key_recording.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "game/edition.h"
#include "game/game.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "platform/headless/headless_display.h"
#include "replay/display_trace.h"
#include "replay/key_playback.h"
#include "screen/display_backend.h"
#include "screen/keyboard.h"
#include "screen/program.h"
#include "tools/replay/replay_session.h"

namespace {

using namespace kestal;
using namespace kestal::replay;

// A game played "live": keys arrive at random moments, during retrace waits and while the
// game polls without retraces (the pause), as a browser delivers them. Returns the trace of
// what was shown; `recording` keeps the keys.
std::string playLive(KeyRecording& recording, std::uint64_t lastRetrace, unsigned seed) {
  std::mt19937 random(seed);
  const int keys[] = {extendedKey('H'),
                      extendedKey('P'),
                      extendedKey('K'),
                      extendedKey('M'),
                      ' ',
                      13,
                      '=',
                      'f',
                      'p',
                      'p',
                      'x',
                      8};
  std::string trace;
  int pollsToWait = 0;
  auto give = [&](int entry) {
    pushKey(entry);
    recording.add(entry);
  };
  HeadlessDisplay display({
      .onOpen = {},
      .onRetrace =
          [&](std::uint64_t retrace) {
            recording.waitingForRetrace();
            char line[TRACE_LINE_MAX_CHARS];
            trace.append(line, appendDisplayTraceLine(line, retrace));
            if (retrace == lastRetrace) throw ProgramExit{0};
            if (retrace == 3) give('7');
            if (retrace == 5) give(13);  // the Delay answered
            if (retrace > 5 && random() % 9 == 0) give(keys[random() % std::size(keys)]);
            pollsToWait = static_cast<int>(random() % 3000);
          },
      .onEmptyPoll =
          [&] {
            recording.pollingWithoutRetraces();
            if (--pollsToWait == 0) give(keys[random() % std::size(keys)]);
          },
  });
  setDisplayBackend(&display);
  auto state = std::make_unique<GameState>();
  NoSound sound;
  display.run([&] { runGame(*state, SOUND_EDITION, sound); });
  setDisplayBackend(nullptr);
  return trace;
}

std::string replayedTrace(const std::string& script, std::uint64_t lastRetrace) {
  std::istringstream in(script);
  const KeyScript parsed = parseKeyScript(in);
  EXPECT_EQ(parsed.error, "");
  const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                     ("recording-" + std::to_string(getpid()) + ".trace");
  ReplayOptions options;
  options.frames = lastRetrace;
  options.tracePath = path.string();
  EXPECT_EQ(runReplay(options, parsed.events).exitStatus, EXIT_FINISHED);
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  std::filesystem::remove(path);
  return text.str();
}

TEST(KeyRecording, ItsReplayRepeatsTheLiveGameThroughPausesAndAllKeys) {
  for (unsigned seed : {1u, 2u}) {
    KeyRecording recording;
    const std::string live = playLive(recording, 2500, seed);
    ASSERT_NE(recording.lines().find(" p\n"), std::string::npos) << "the game was paused";
    EXPECT_EQ(replayedTrace(recording.lines(), 2500), live) << "seed " << seed;
  }
}

TEST(KeyRecording, KeysReadBackAsTheEntriesTheyWere) {
  for (int entry = 0; entry <= 65535; entry += entry < 256 ? 1 : 256) {
    const int e = entry < 256 ? entry : entry + 255 - 256;
    EXPECT_EQ(parseKeyName(keyName(e)).entry, e) << keyName(e);
  }
  KeyRecording recording;
  recording.add(13);  // before the first retrace
  recording.waitingForRetrace();
  recording.add(extendedKey('H'));  // during the wait for retrace 1
  recording.pollingWithoutRetraces();
  recording.add('x');  // in the pause: handed over in the same poll
  EXPECT_EQ(recording.lines(), "0 Enter\n1 Up\n2 x\n");
}

std::vector<int> delivered;
void collect(int entry) {
  delivered.push_back(entry);
}

TEST(KeyPlayback, GivesARetracesKeysAfterItsWaitAndAPollingGameTheNextKey) {
  delivered.clear();
  KeyPlayback playback({{0, 'a'}, {2, 'b'}, {2, 'c'}, {9, 'd'}}, collect);
  playback.deliverUpTo(0);
  playback.deliverUpTo(1);
  EXPECT_EQ(delivered, (std::vector<int>{'a'}));
  playback.deliverUpTo(2);
  EXPECT_EQ(delivered, (std::vector<int>{'a', 'b', 'c'}));
  for (int poll = 1; poll < EMPTY_POLLS_BEFORE_NEXT_KEY; ++poll) ASSERT_TRUE(playback.emptyPoll());
  EXPECT_EQ(delivered.size(), 3u);
  EXPECT_TRUE(playback.emptyPoll());
  EXPECT_EQ(delivered.back(), 'd');
  for (int poll = 1; poll < EMPTY_POLLS_BEFORE_NEXT_KEY; ++poll) ASSERT_TRUE(playback.emptyPoll());
  EXPECT_FALSE(playback.emptyPoll()) << "no key left for a game that waits for one";
}

}  // namespace
