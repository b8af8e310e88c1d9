// kestal-replay --window under a private Xvfb without a window manager, so that the window
// shows the 640 x 400 picture pixel for pixel: its title, the game it shows against the
// headless run of the same script, the viewer's keys, and how the run ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/replay/png_test_support.h"
#include "tests/sdl/xwd_image.h"
#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

namespace sdltest {
namespace {

using namespace testsupport;
using kestal::replay::test_support::DecodedPng;
namespace fs = std::filesystem;

// A delay of 1, then play until the game's pause at retrace 600, ten seconds at one retrace
// per refresh. The script ends there: the game waits on its dimmed picture until it has
// polled long enough, and the run ends.
constexpr const char* PAUSING_SCRIPT = "1 1\n2 Enter\n600 p\n";
// At eight retraces per refresh the pause comes within two seconds.
constexpr auto HURRIED_TO_THE_PAUSE = 6s;

XSession* session = nullptr;

class WindowReplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (onPath("Xvfb") && onPath("xdotool") && onPath("xwd"))
      session = new XSession(640, 400, false);
  }
  static void TearDownTestSuite() {
    delete session;
    session = nullptr;
  }
  void SetUp() override {
    if (session == nullptr) GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed";
    ASSERT_TRUE(session->ready()) << "the private X server did not start";
    dir_ = fs::temp_directory_path() /
           ("kestal-window-replay-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
    return path(name);
  }
  std::string read(const std::string& name) const {
    std::ostringstream text;
    text << std::ifstream(path(name), std::ios::binary).rdbuf();
    return text.str();
  }

  static std::vector<std::string> replay(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), REPLAY_PATH);
    return arguments;
  }
  // Where sound set-up must fail (its file cannot be written): the run plays on silently.
  Environment windowEnvironment() const {
    Environment environment = session->environment();
    environment["ALSOFT_DRIVERS"] = "wave";
    environment["ALSOFT_CONF"] =
        write("alsoft.conf", "[wave]\nfile = " + path("missing/mix.wav") + "\n");
    return environment;
  }

  // The tool's window, found by its title alone.
  std::string findWindow() const {
    const CommandResult search =
        runCommand(Launch({"xdotool", "search", "--sync", "--name", "^kestal-replay$"},
                          session->environment()),
                   15s);
    return search.output.substr(0, search.output.find('\n'));
  }
  static void press(const std::string& window, const std::string& key) {
    ASSERT_EQ(
        runCommand(Launch({"xdotool", "key", "--window", window, key}, session->environment()))
            .status,
        0);
  }
  static std::optional<XwdImage> screenshot(const std::string& window) {
    const CommandResult dump =
        runCommand(Launch({"xwd", "-silent", "-id", window}, session->environment()));
    return dump.status == 0 ? XwdImage::parse(dump.output) : std::nullopt;
  }

  fs::path dir_;
};

// The lines the tool itself wrote on stderr (audio libraries may add their own).
std::vector<std::string> toolLines(const std::string& errors) {
  std::vector<std::string> lines;
  std::istringstream in(errors);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("kestal-replay:", 0) == 0) lines.push_back(line);
  }
  return lines;
}

bool samePicture(const XwdImage& a, const XwdImage& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (!(a.at(x, y) == b.at(x, y))) return false;
    }
  }
  return true;
}

bool showsPicture(const XwdImage& shot, const DecodedPng& picture) {
  if (shot.width() != 640 || shot.height() != 400 || picture.rgb.size() != 640 * 400 * 3) {
    return false;
  }
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) {
      const std::uint8_t* rgb = &picture.rgb[static_cast<std::size_t>(y * 640 + x) * 3];
      if (!(shot.at(x, y) == Colour{rgb[0], rgb[1], rgb[2]})) return false;
    }
  }
  return true;
}

TEST_F(WindowReplayTest, ShowsTheHeadlessRunsGamePausedAndHurriedAndEndsWhereItEnds) {
  const std::string keys = write("keys", PAUSING_SCRIPT);
  ASSERT_EQ(runCommand(Launch(replay({"--keys", keys, "--trace", path("headless.trace")}))).status,
            0);
  // The picture the game waits on: the last retrace the headless run recorded.
  const std::string trace = read("headless.trace");
  const std::string lastLine = trace.substr(trace.rfind('\n', trace.size() - 2) + 1);
  const std::string waiting = lastLine.substr(0, lastLine.find(' '));
  ASSERT_EQ(runCommand(Launch(replay({"--keys", keys, "--png-at", waiting, "--out", path("png")})))
                .status,
            0);
  char picturePath[32];
  std::snprintf(picturePath, sizeof picturePath, "png/frame-%06d.png", std::stoi(waiting));
  const DecodedPng waitingPicture = kestal::replay::test_support::decodePng(path(picturePath));

  ChildProcess shown(Launch(replay({"--window", "--keys", keys, "--trace", path("window.trace")}),
                            windowEnvironment()));
  const std::string window = findWindow();
  ASSERT_FALSE(window.empty()) << shown.errors();

  // Paused by the viewer, play (whose stars move every frame) holds still and goes on later.
  press(window, "space");
  std::this_thread::sleep_for(300ms);
  const std::optional<XwdImage> before = screenshot(window);
  std::this_thread::sleep_for(500ms);
  const std::optional<XwdImage> after = screenshot(window);
  ASSERT_TRUE(before && after);
  EXPECT_TRUE(samePicture(*before, *after)) << "the picture moved while paused";
  EXPECT_TRUE(shown.running());

  // At speed 8 on to the game's pause, whose picture is the headless run's.
  press(window, "8");
  press(window, "space");
  const auto deadline = std::chrono::steady_clock::now() + HURRIED_TO_THE_PAUSE;
  bool matched = false;
  while (!matched && shown.running() && std::chrono::steady_clock::now() < deadline) {
    const std::optional<XwdImage> shot = screenshot(window);
    matched = shot && showsPicture(*shot, waitingPicture);
  }
  EXPECT_TRUE(matched) << "the window did not show retrace " << waiting << " in time";

  EXPECT_EQ(shown.waitForExit(20s), 0);
  EXPECT_EQ(read("window.trace"), trace) << "the window's game differs from the headless one";
  // Sound could not be set up: said once, and the game played on.
  const std::vector<std::string> said = toolLines(shown.errors());
  ASSERT_EQ(said.size(), 1u) << shown.errors();
  EXPECT_NE(said[0].find("no sound"), std::string::npos) << said[0];
}

TEST_F(WindowReplayTest, EscapeAndTheCloseButtonLeaveEarly) {
  // In play, where the game would take Escape or the close button for the end of a game and
  // go on to ask for another, the viewer's keys end the run (which would last half an hour).
  const std::string keys = write("keys", "1 1\n2 Enter\n");
  for (const std::string way : {"Escape", "close"}) {
    ChildProcess shown(Launch(replay({"--window", "--edition", "silent", "--keys", keys}),
                              session->environment()));
    const std::string window = findWindow();
    ASSERT_FALSE(window.empty()) << shown.errors();
    std::this_thread::sleep_for(500ms);
    if (way == "close") {
      EXPECT_EQ(
          runCommand(Launch({WINDOW_REQUEST_PATH, "close", window}, session->environment())).status,
          0);
    } else {
      press(window, way);
    }
    EXPECT_EQ(shown.waitForExit(10s), 0) << way;
    EXPECT_EQ(toolLines(shown.errors()).size(), 0u) << shown.errors();
  }
}

TEST(WindowReplayNoDisplay, FailsInOneLineWithStatusOne) {
  const CommandResult result = runCommand(
      Launch({REPLAY_PATH, "--window", "--frames", "10"}, {{"DISPLAY", std::nullopt},
                                                           {"WAYLAND_DISPLAY", std::nullopt},
                                                           {"SDL_VIDEODRIVER", std::nullopt}}));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.errors.rfind("kestal-replay: cannot show the screen: ", 0), 0u) << result.errors;
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
}

}  // namespace
}  // namespace sdltest
