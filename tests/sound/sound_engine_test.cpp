// The real engine on real OpenAL Soft, its mix written to a WAV file by the wave driver.
// Each case runs in a child process: OpenAL reads its configuration once per process,
// and the failure path is meant to end the program.
#include <AL/alut.h>
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <chrono>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <thread>

#include "sound/openal_sound.h"
#include "tests/sound/child_process.h"
#include "tests/sound/wav_reader.h"

namespace kestal::test {
namespace {

namespace fs = std::filesystem;

constexpr int MIX_RATE = 22050;
// How far the mix may run ahead of or behind the calls: one mixing period of the wave
// driver plus scheduling slack.
constexpr double GUARD_MS = 200.0;
constexpr int SILENT_PEAK = 2;
constexpr int HEARD_PEAK = 2000;
constexpr double SOUNDING_RMS = 500.0;

// Milliseconds of the child's calls, kept in memory the parent can read after the child ends.
class SharedMarks {
 public:
  static constexpr int CAPACITY = 32;
  SharedMarks() {
    void* memory = mmap(nullptr, sizeof(double) * CAPACITY, PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    marks_ = static_cast<double*>(memory);
    for (int i = 0; i < CAPACITY; ++i) marks_[i] = std::numeric_limits<double>::quiet_NaN();
  }
  ~SharedMarks() { munmap(marks_, sizeof(double) * CAPACITY); }
  SharedMarks(const SharedMarks&) = delete;
  SharedMarks& operator=(const SharedMarks&) = delete;

  void start() { origin_ = std::chrono::steady_clock::now(); }
  void mark() {
    if (count_ < CAPACITY) {
      marks_[count_++] =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin_)
              .count();
    }
  }
  double operator[](int i) const { return marks_[i]; }

 private:
  double* marks_;
  int count_ = 0;
  std::chrono::steady_clock::time_point origin_;
};

void hold(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::size_t frameAt(double milliseconds) {
  return milliseconds <= 0 ? 0 : static_cast<std::size_t>(milliseconds * MIX_RATE / 1000.0);
}

// A working directory holding the game's sound/ folder and an OpenAL configuration that
// sends the mix, in stereo 16 bit without dither, to mix.wav.
class Stage {
 public:
  Stage() {
    fs::create_directory(soundDir());
    for (const char* file : SOUND_FILES) {
      const fs::path name = fs::path(file).filename();
      fs::copy_file(fs::path(KESTAL_SOUND_DIR) / name, soundDir() / name);
    }
    sendMixTo(mixPath());
  }
  fs::path soundDir() const { return dir_.path() / "sound"; }
  fs::path mixPath() const { return dir_.path() / "mix.wav"; }

  void sendMixTo(const fs::path& output) const {
    writeText(dir_.path() / "alsoft.conf",
              "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
              "frequency = 22050\ndither = false\nhrtf = false\n[wave]\nfile = " +
                  output.string() + "\n");
  }
  ChildSetup setup() const {
    return {dir_.path(),
            {{"ALSOFT_CONF", (dir_.path() / "alsoft.conf").string()}},
            {"ALSOFT_DRIVERS"},
            std::chrono::seconds(60)};
  }

 private:
  TemporaryDirectory dir_;
};

// Sets up, runs `play` and releases, as the sound edition does; exit code 1 when set-up fails.
template <typename Play>
ChildResult runEngine(const Stage& stage, SharedMarks& marks, Play play) {
  return runInChild(stage.setup(), [&] {
    OpenAlSound sound;
    marks.start();
    if (!sound.setUpSound()) return 1;
    play(sound);
    sound.release();
    return 0;
  });
}

void expectSilent(const WavFile& mix, double fromMs, double toMs, const std::string& what) {
  ASSERT_LT(fromMs, toMs) << what;
  EXPECT_LE(peakBetween(mix, 0, frameAt(fromMs), frameAt(toMs)), SILENT_PEAK)
      << what << " between " << fromMs << " and " << toMs << " ms";
}

void expectHeard(const WavFile& mix, double fromMs, double toMs, const std::string& what) {
  EXPECT_GE(peakBetween(mix, 0, frameAt(fromMs), frameAt(toMs)), HEARD_PEAK)
      << what << " between " << fromMs << " and " << toMs << " ms";
}

// Sounding without a gap: every 100 ms piece of the stretch carries signal.
void expectSounding(const WavFile& mix, double fromMs, double toMs, const std::string& what) {
  ASSERT_LT(fromMs + 100, toMs) << what;
  for (double at = fromMs; at + 100 <= toMs; at += 100) {
    EXPECT_GE(rmsBetween(mix, 0, frameAt(at), frameAt(at + 100)), SOUNDING_RMS)
        << what << " at " << at << " ms";
  }
}

// A 16-bit mono 22050 Hz WAV file whose data chunk holds `data`.
std::string mono16Wav(const std::string& data) {
  std::string file;
  const auto put = [&file](std::size_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  file += "RIFF";
  put(36 + data.size(), 4);
  file += "WAVEfmt ";
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(22050, 4);
  put(44100, 4);
  put(2, 2);
  put(16, 2);
  file += "data";
  put(data.size(), 4);
  return file + data;
}

int linesMentioning(const std::string& text, const std::string& needle) {
  std::istringstream lines(text);
  int count = 0;
  for (std::string line; std::getline(lines, line);)
    count += line.find(needle) != std::string::npos;
  return count;
}

TEST(SoundEngine, PlaysLoopsAndStopsEffectsIntoTheMix) {
  Stage stage;
  SharedMarks marks;
  const ChildResult run = runEngine(stage, marks, [&](OpenAlSound& sound) {
    marks.mark();  // 0: set up, nothing playing
    hold(600);
    sound.play(SoundSlot::Laser, true);
    marks.mark();  // 1
    hold(1200);    // more than twice the laser file: only looping fills it
    sound.stop(SoundSlot::Laser);
    marks.mark();  // 2
    hold(600);
    sound.play(SoundSlot::Hit, false);
    marks.mark();  // 3
    hold(900);
    for (SoundSlot slot : {SoundSlot::Warp, SoundSlot::Shield, SoundSlot::Explosion}) {
      sound.play(slot, false);
      marks.mark();  // 4, 5, 6
      hold(500);
    }
    marks.mark();  // 7
  });
  ASSERT_TRUE(run.exited) << run.err;
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(linesMentioning(run.err, "sound/"), 0) << run.err;

  // The header is complete only if release shut ALUT down.
  const WavFile mix = readWav(stage.mixPath());
  ASSERT_EQ(mix.problem, "");
  ASSERT_EQ(mix.channels, 2);
  ASSERT_GE(mix.seconds() * 1000.0, marks[7] - GUARD_MS);

  expectSilent(mix, 0, marks[1] - GUARD_MS, "before any play");
  expectSounding(mix, marks[1] + GUARD_MS, marks[2] - GUARD_MS, "looping laser");
  expectSilent(mix, marks[2] + GUARD_MS, marks[3] - GUARD_MS, "after the laser stopped");
  expectHeard(mix, marks[3], marks[3] + 400, "hit");
  expectSilent(mix, marks[3] + 180 + GUARD_MS, marks[4] - GUARD_MS, "after the short hit ended");
  expectHeard(mix, marks[4], marks[5], "warp");
  expectHeard(mix, marks[5], marks[6], "shield");
  expectHeard(mix, marks[6], marks[7], "explosion");

  // Everything sits at the listener, so both channels carry the same signal.
  EXPECT_EQ(mix.samples[0], mix.samples[1]);
}

TEST(SoundEngine, UnloadableFilesWarnOnceAndStaySilent) {
  Stage stage;
  fs::remove(stage.soundDir() / "Laser.wav");
  writeText(stage.soundDir() / "Shield.wav", "");
  const std::string explosion = readText(stage.soundDir() / "Explosion.wav");
  writeText(stage.soundDir() / "Explosion.wav", explosion.substr(0, 30));  // cut in the header
  SharedMarks marks;
  const ChildResult run = runEngine(stage, marks, [&](OpenAlSound& sound) {
    marks.mark();  // 0
    hold(300);
    sound.play(SoundSlot::Laser, true);
    sound.play(SoundSlot::Shield, false);
    sound.play(SoundSlot::Explosion, false);
    hold(900);
    sound.play(SoundSlot::Hit, false);
    marks.mark();  // 1
    hold(500);
  });
  ASSERT_TRUE(run.exited) << run.err;
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(linesMentioning(run.err, "sound/Laser.wav"), 1) << run.err;
  EXPECT_EQ(linesMentioning(run.err, "sound/Shield.wav"), 1) << run.err;
  EXPECT_EQ(linesMentioning(run.err, "sound/Explosion.wav"), 1) << run.err;
  EXPECT_EQ(linesMentioning(run.err, alutGetErrorString(ALUT_ERROR_IO_ERROR)), 1) << run.err;
  EXPECT_EQ(linesMentioning(run.err, "sound/Warp.wav") + linesMentioning(run.err, "sound/Hit.wav"),
            0)
      << run.err;

  const WavFile mix = readWav(stage.mixPath());
  ASSERT_EQ(mix.problem, "");
  expectSilent(mix, 0, marks[1] - GUARD_MS, "effects whose files did not load");
  expectHeard(mix, marks[1], marks[1] + 400, "hit, which loaded");
}

TEST(SoundEngine, SetUpFailurePrintsFailedAndShutsDown) {
  {
    // The wave driver cannot create its file, so no device opens.
    Stage stage;
    stage.sendMixTo("/nonexistent-kestal-directory/mix.wav");
    SharedMarks marks;
    const ChildResult run = runEngine(stage, marks, [](OpenAlSound&) {});
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "failed!\n");
    EXPECT_NE(run.err, "");
  }
  {
    // Three bytes of 16-bit samples load through ALUT but OpenAL refuses them
    // (AL_INVALID_VALUE: not a whole number of frames).
    Stage stage;
    writeText(stage.soundDir() / "Laser.wav", mono16Wav("\x01\x02\x03"));
    SharedMarks marks;
    const ChildResult run = runEngine(stage, marks, [](OpenAlSound&) {});
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "failed!\n");
    EXPECT_NE(run.err.find("0xA003"), std::string::npos) << run.err;
    // A finished header shows ALUT's exit ran on the failure path.
    EXPECT_EQ(readWav(stage.mixPath()).problem, "");
  }
}

#ifdef KESTAL_PROGRAM
TEST(SoundEdition, EndsWithStatusOneWhenSoundCannotStart) {
  Stage stage;
  stage.sendMixTo("/nonexistent-kestal-directory/mix.wav");
  ChildSetup setup = stage.setup();
  setup.environment.emplace_back("SDL_VIDEODRIVER", "dummy");
  setup.timeout = std::chrono::seconds(20);
  const ChildResult run = runProgram(setup, KESTAL_PROGRAM);
  ASSERT_TRUE(run.exited) << run.err;
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "failed!\n");
}
#endif

}  // namespace
}  // namespace kestal::test
