// The real programs where there is no display: one line on stderr naming the cause and
// status 1, since a game without a window could never be ended by its player. The sound
// edition gets that far with its sound set up, or with its effect files missing (a warning
// for each, and silence). Under the sanitizer build a leak or an error on these paths
// changes the status and fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/robustness/child_program.h"

namespace kestal::robustness {
namespace {

int linesOf(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

int linesMentioning(const std::string& text, const std::string& word) {
  int count = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.substr(start, end - start).find(word) != std::string::npos) ++count;
    start = end + 1;
  }
  return count;
}

ProgramCall withoutDisplay(const std::string& program) {
  ProgramCall call;
  call.arguments = {program};
  call.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  call.timeout = std::chrono::seconds(60);
  return call;
}

#ifdef KESTAL_SILENT_BINARY
TEST(MissingDisplay, TheSilentEditionNamesTheCauseAndEndsWithStatusOne) {
  const ProgramResult plain = runProgram(withoutDisplay(KESTAL_SILENT_BINARY));
  ASSERT_TRUE(plain.exited) << plain.err;
  EXPECT_EQ(plain.status, 1) << plain.err;
  EXPECT_EQ(plain.out, "");
  EXPECT_EQ(linesOf(plain.err), 1) << plain.err;
  EXPECT_EQ(linesMentioning(plain.err, "DISPLAY"), 1) << plain.err;

  // A driver that shows nothing is no display either.
  ProgramCall dummy = withoutDisplay(KESTAL_SILENT_BINARY);
  dummy.setEnvironment = {{"SDL_VIDEODRIVER", "dummy"}};
  const ProgramResult shown = runProgram(dummy);
  ASSERT_TRUE(shown.exited) << shown.err;
  EXPECT_EQ(shown.status, 1) << shown.err;
  EXPECT_EQ(linesOf(shown.err), 1) << shown.err;
  EXPECT_EQ(linesMentioning(shown.err, "dummy"), 1) << shown.err;
}
#endif

#ifdef KESTAL_SOUND_BINARY
TEST(MissingDisplay, TheSoundEditionEndsTheSameAfterSettingUpItsSound) {
  // OpenAL's null driver: sound sets up without a sound card.
  ProgramCall withSounds = withoutDisplay(KESTAL_SOUND_BINARY);
  withSounds.setEnvironment = {{"ALSOFT_DRIVERS", "null"}};
  withSounds.workingDirectory = KESTAL_BUILD_DIR;  // where sound/*.wav are generated
  const ProgramResult ready = runProgram(withSounds);
  ASSERT_TRUE(ready.exited) << ready.err;
  EXPECT_EQ(ready.status, 1) << ready.err;
  EXPECT_EQ(ready.out, "");
  EXPECT_EQ(linesOf(ready.err), 1) << ready.err;
  EXPECT_EQ(linesMentioning(ready.err, "DISPLAY"), 1) << ready.err;

  // No effect files at all: a warning naming each, then the same end.
  ScratchDirectory empty;
  ProgramCall withoutSounds = withSounds;
  withoutSounds.workingDirectory = empty.path();
  const ProgramResult silent = runProgram(withoutSounds);
  ASSERT_TRUE(silent.exited) << silent.err;
  EXPECT_EQ(silent.status, 1) << silent.err;
  EXPECT_EQ(silent.out, "");
  for (const char* file : {"sound/Warp.wav", "sound/Shield.wav", "sound/Laser.wav", "sound/Hit.wav",
                           "sound/Explosion.wav"}) {
    EXPECT_EQ(linesMentioning(silent.err, file), 1) << file << ": " << silent.err;
  }
  EXPECT_EQ(linesOf(silent.err), 6) << silent.err;
  EXPECT_EQ(linesMentioning(silent.err, "DISPLAY"), 1) << silent.err;
}
#endif

}  // namespace
}  // namespace kestal::robustness
