// kestal-replay --window under a private Xvfb without a window manager, so that the window
// shows the 640 x 400 picture pixel for pixel: its title, the game it shows against the
// headless run of the same script, the viewer's keys, and how the run ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

namespace sdltest {
namespace {

using namespace testsupport;

XSession* session = nullptr;

class WindowReplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (onPath("Xvfb") && onPath("xdotool") && onPath("xwd") && onPath("convert")) {
      session = new XSession(640, 400, false);
    }
  }
  static void TearDownTestSuite() { delete session; }
  void SetUp() override {
    if (session == nullptr) GTEST_SKIP() << "Xvfb, xdotool, xwd or convert is not installed";
    ASSERT_TRUE(session->ready()) << "the private X server did not start";
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name)) << text;
    return path(name);
  }
  std::string read(const std::string& name) const {
    std::ostringstream text;
    text << std::ifstream(path(name)).rdbuf();
    return text.str();
  }
  // A picture as 8-bit RGB bytes, row by row: ImageMagick's `convert` given the picture
  // ("convert FILE", or "xwd ... | convert xwd:-" for a window).
  static std::string rgb(const std::string& convert) {
    const Launch command({"sh", "-c", convert + " -depth 8 rgb:-"}, session->environment());
    return runCommand(command).output;
  }
  static std::string shown(const std::string& window) {
    return rgb("xwd -silent -id " + window + " | convert xwd:-");
  }
  // The tool's window, found by its title alone.
  static std::string findWindow() {
    const std::string found =
        runCommand(Launch({"xdotool", "search", "--sync", "--name", "^kestal-replay$"},
                          session->environment()),
                   15s)
            .output;
    return found.substr(0, found.find('\n'));
  }
  static void press(const std::string& window, const std::string& key) {
    const Launch typing({"xdotool", "key", "--window", window, key}, session->environment());
    ASSERT_EQ(runCommand(typing).status, 0);
  }

  const std::string dir_ =
      std::filesystem::temp_directory_path().string() + "/kestal-watch-" + std::to_string(getpid());
};

TEST_F(WindowReplayTest, ShowsTheHeadlessRunsGamePausedAndHurriedAndEndsWhereItEnds) {
  // Play until the game's pause at retrace 600 (ten seconds at one retrace per refresh), where
  // the script ends: the game waits on its dimmed picture until it has polled long enough.
  const std::string keys = write("keys", "1 1\n2 Enter\n600 p\n");
  ASSERT_EQ(runCommand(Launch({REPLAY_PATH, "--keys", keys, "--trace", path("headless")})).status,
            0);
  // The picture it waits on: the last retrace the headless run recorded.
  const std::string trace = read("headless");
  const int waiting = std::stoi(trace.substr(trace.rfind('\n', trace.size() - 2) + 1));
  const std::string at = std::to_string(waiting);
  ASSERT_EQ(runCommand(Launch({REPLAY_PATH, "--keys", keys, "--png-at", at, "--out", dir_})).status,
            0);
  const std::string waitingPicture =
      rgb("convert " + path("frame-" + std::string(6 - at.size(), '0') + at + ".png"));
  ASSERT_EQ(waitingPicture.size(), 640u * 400 * 3);

  // Where sound set-up must fail (its file cannot be written), the run plays on silently.
  Environment environment = session->environment();
  environment["ALSOFT_DRIVERS"] = "wave";
  environment["ALSOFT_CONF"] = write("alsoft.conf", "[wave]\nfile = " + path("no/mix.wav") + "\n");
  ChildProcess run(
      Launch({REPLAY_PATH, "--window", "--keys", keys, "--trace", path("window")}, environment));
  const std::string window = findWindow();
  ASSERT_FALSE(window.empty()) << run.errors();

  // Paused by the viewer, play (whose stars move every frame) holds still.
  press(window, "space");
  std::this_thread::sleep_for(300ms);
  const std::string before = shown(window);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(before.size(), 640u * 400 * 3);
  EXPECT_TRUE(shown(window) == before) << "the picture moved while paused";
  EXPECT_TRUE(run.running());

  // At speed 8 the game's pause comes within two seconds, and its picture is the headless one.
  press(window, "8");
  press(window, "space");
  const auto deadline = std::chrono::steady_clock::now() + 6s;
  bool matched = false;
  while (!matched && run.running() && std::chrono::steady_clock::now() < deadline) {
    matched = shown(window) == waitingPicture;
  }
  EXPECT_TRUE(matched) << "the window did not show retrace " << waiting << " in time";

  EXPECT_EQ(run.waitForExit(20s), 0);
  EXPECT_EQ(read("window"), trace) << "the window's game differs from the headless one";
  // Said once (audio libraries may add lines of their own).
  const std::string& errors = run.errors();
  EXPECT_NE(errors.find("kestal-replay: no sound ("), std::string::npos) << errors;
  EXPECT_EQ(errors.find("kestal-replay:"), errors.rfind("kestal-replay:")) << errors;
}

TEST_F(WindowReplayTest, EscapeAndTheCloseButtonLeaveEarly) {
  // In play, where the game would take Escape or the close button for the end of a game and
  // go on to ask for another, the viewer's keys end the run (which would last half an hour).
  const std::string keys = write("keys", "1 1\n2 Enter\n");
  for (const std::string way : {"Escape", "close"}) {
    ChildProcess run(Launch({REPLAY_PATH, "--window", "--edition", "silent", "--keys", keys},
                            session->environment()));
    const std::string window = findWindow();
    ASSERT_FALSE(window.empty()) << run.errors();
    std::this_thread::sleep_for(500ms);
    if (way == "close") {
      const Launch request({WINDOW_REQUEST_PATH, "close", window}, session->environment());
      EXPECT_EQ(runCommand(request).status, 0);
    } else {
      press(window, way);
    }
    EXPECT_EQ(run.waitForExit(10s), 0) << way;
    EXPECT_EQ(run.errors().find("kestal-replay:"), std::string::npos) << run.errors();
  }
}

TEST(WindowReplayNoDisplay, FailsInOneLineWithStatusOne) {
  const CommandResult result = runCommand(Launch(
      {REPLAY_PATH, "--window"},
      {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"SDL_VIDEODRIVER", {}}}));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors.rfind("kestal-replay: cannot show the screen: ", 0), 0u) << result.errors;
  EXPECT_EQ(result.errors.find('\n'), result.errors.size() - 1) << result.errors;
}

}  // namespace
}  // namespace sdltest
