// The SDL back end in a real window: a private Xvfb with openbox, the probe program drawing a
// known picture, keys typed with xdotool, screenshots taken with xwd.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "tests/sdl/xwd_image.h"
#include "tests/support/child_process.h"
#include "tests/support/x_session.h"

namespace sdltest {
namespace {

using namespace testsupport;

constexpr int SCREEN_W = 1024;  // a 4:3 screen: full screen fills it exactly
constexpr int SCREEN_H = 768;

// The probe's palette entries, at 6 bits per component, as 8-bit values floor(v * 255 / 63).
constexpr Colour ORANGE{255, 129, 0};   // entry 40: 63, 32, 0
constexpr Colour GREEN{0, 255, 85};     // entry 41: 0, 63, 21
constexpr Colour SLATE{40, 80, 121};    // entry 42: 10, 20, 30
constexpr Colour BLUE{0, 0, 255};       // entry 40 after "p": 0, 0, 63
constexpr Colour TEXT_BLUE{0, 0, 170};  // default palette entry 1
constexpr Colour BLACK{0, 0, 0};

XSession* session = nullptr;

class SdlDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!onPath("Xvfb") || !onPath("openbox") || !onPath("xdotool") || !onPath("xwd")) {
      return;
    }
    session = new XSession(SCREEN_W, SCREEN_H);
  }
  static void TearDownTestSuite() {
    delete session;
    session = nullptr;
  }
  void SetUp() override {
    if (session == nullptr) GTEST_SKIP() << "Xvfb, openbox, xdotool or xwd is not installed";
    ASSERT_TRUE(session->ready()) << "the private X server did not start";
  }
};

// The probe started under a name of the test's choosing, with its window found.
class Probe {
 public:
  explicit Probe(const std::string& name, const XSession& x = *session) : x_(x) {
    directory_ = std::filesystem::temp_directory_path() /
                 ("kestal-sdl-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::create_directories(directory_);
    const auto path = directory_ / (name + ".bin");
    std::filesystem::create_symlink(PROBE_PATH, path);
    process_ = std::make_unique<ChildProcess>(Launch({path.string()}, x_.environment()));
    const std::optional<std::string> ready = process_->readLine(15s);
    if (ready && ready->rfind("ready", 0) == 0) readyLine_ = *ready;
    const CommandResult search = runCommand(
        Launch({"xdotool", "search", "--sync", "--name", "^" + name + "$"}, x_.environment()), 5s);
    window_ = search.output.substr(0, search.output.find('\n'));
  }
  ~Probe() {
    process_.reset();
    std::filesystem::remove_all(directory_);
  }

  bool started() const { return !readyLine_.empty() && !window_.empty(); }
  const std::string& readyLine() const { return readyLine_; }
  const std::string& window() const { return window_; }
  ChildProcess& process() { return *process_; }

  void keys(const std::vector<std::string>& names) {
    std::vector<std::string> command{"xdotool", "key", "--window", window_};
    command.insert(command.end(), names.begin(), names.end());
    ASSERT_EQ(runCommand(Launch(command, x_.environment())).status, 0);
  }

  // close or maximize, as the window manager's buttons ask.
  int windowRequest(const std::string& what) {
    return runCommand(Launch({WINDOW_REQUEST_PATH, what, window_}, x_.environment()))
        .status.value_or(-1);
  }

  // The next `count` lines the probe prints, fewer if it falls silent for seconds.
  std::vector<std::string> lines(std::size_t count) {
    std::vector<std::string> result;
    while (result.size() < count) {
      std::optional<std::string> line = process_->readLine(5s);
      if (!line) break;
      result.push_back(*line);
    }
    return result;
  }

  std::optional<XwdImage> screenshot() {
    const CommandResult dump =
        runCommand(Launch({"xwd", "-silent", "-id", window_}, x_.environment()));
    if (dump.status != 0) return std::nullopt;
    return XwdImage::parse(dump.output);
  }

  // Screenshots until `ready` holds (the window system may still be rearranging).
  std::optional<XwdImage> screenshotWhen(const std::function<bool(const XwdImage&)>& ready) {
    std::optional<XwdImage> image;
    for (int attempt = 0; attempt < 60; ++attempt) {
      image = screenshot();
      if (image && ready(*image)) break;
      std::this_thread::sleep_for(50ms);
    }
    return image;
  }

 private:
  const XSession& x_;
  std::filesystem::path directory_;
  std::unique_ptr<ChildProcess> process_;
  std::string readyLine_;
  std::string window_;
};

// The output pixel showing the centre of picture pixel (x, y) on the full 1024 x 768 screen:
// 1.6 times wider, 1.92 times taller (the 1.2 of the 4:3 shape on top).
Colour fullScreenPixel(const XwdImage& image, double x, double y) {
  return image.at(static_cast<int>((x + 0.5) * SCREEN_W / 640),
                  static_cast<int>((y + 0.5) * SCREEN_H / 400));
}

bool sized(const XwdImage& image, int width, int height) {
  return image.width() == width && image.height() == height;
}

bool fullScreenShowing(const XwdImage& image, const Colour& topLeftBlock) {
  return sized(image, SCREEN_W, SCREEN_H) && fullScreenPixel(image, 160, 100) == topLeftBlock &&
         fullScreenPixel(image, 440, 325) == SLATE;
}

// Window-sized and drawn for that size (until the program draws again, a shrunk window
// still holds a corner of the old picture).
bool windowShowing(const XwdImage& image) {
  return sized(image, 640, 400) && image.at(400, 300) == SLATE;
}

void expectFullScreenPixel(const XwdImage& image, double x, double y, const Colour& colour) {
  EXPECT_EQ(fullScreenPixel(image, x, y), colour)
      << "picture (" << x << ", " << y << ") shows " << describe(fullScreenPixel(image, x, y));
}

// The probe's picture, one picture pixel per window pixel.
void expectWindowPicture(const XwdImage& image, const Colour& topLeftBlock) {
  EXPECT_EQ(image.at(0, 0), topLeftBlock);
  EXPECT_EQ(image.at(319, 199), topLeftBlock);
  EXPECT_EQ(image.at(320, 199), GREEN);
  EXPECT_EQ(image.at(639, 0), GREEN);
  EXPECT_EQ(image.at(319, 200), TEXT_BLUE);
  EXPECT_EQ(image.at(400, 300), SLATE);
  EXPECT_EQ(image.at(479, 349), SLATE);
  EXPECT_EQ(image.at(480, 349), BLACK);
  EXPECT_EQ(image.at(479, 350), BLACK);
  EXPECT_EQ(image.at(639, 399), BLACK);
}

TEST_F(SdlDisplayTest, PictureFillsTheScreenAtFourByThree) {
  // Started as <temporary directory>/kestal-title.bin, and found by that title alone.
  Probe probe("kestal-title");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  EXPECT_TRUE(runCommand(Launch({"xdotool", "search", "--name", "kestal-title[.]bin"},
                                session->environment()))
                  .output.empty());

  auto shot =
      probe.screenshotWhen([](const XwdImage& image) { return fullScreenShowing(image, ORANGE); });
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width(), SCREEN_W);
  ASSERT_EQ(shot->height(), SCREEN_H);
  expectFullScreenPixel(*shot, 160, 100, ORANGE);
  expectFullScreenPixel(*shot, 480, 100, GREEN);
  expectFullScreenPixel(*shot, 160, 300, TEXT_BLUE);
  expectFullScreenPixel(*shot, 560, 250, BLACK);
  expectFullScreenPixel(*shot, 440, 325, SLATE);
  // Edges of the blocks land where the 4:3 stretch puts them: x 320 at 512, y 200 at 384,
  // the slate box's rows 300..349 at 576..671.
  EXPECT_EQ(shot->at(508, 192), ORANGE);
  EXPECT_EQ(shot->at(516, 192), GREEN);
  EXPECT_EQ(shot->at(256, 380), ORANGE);
  EXPECT_EQ(shot->at(256, 388), TEXT_BLUE);
  EXPECT_EQ(shot->at(704, 572), BLACK);
  EXPECT_EQ(shot->at(704, 580), SLATE);
  EXPECT_EQ(shot->at(704, 668), SLATE);
  EXPECT_EQ(shot->at(704, 676), BLACK);

  // setPointer(1, 1, 0) put the pointer on picture pixel (1, 1): screen (2.4, 2.88).
  const std::string pointer =
      runCommand(Launch({"xdotool", "getmouselocation", "--shell"}, session->environment())).output;
  EXPECT_NE(pointer.find("X=2\n"), std::string::npos) << pointer;
  EXPECT_NE(pointer.find("Y=2\n"), std::string::npos) << pointer;

  // A palette change recolours what is already on display.
  probe.keys({"p"});
  EXPECT_EQ(probe.lines(2), (std::vector<std::string>{"key 112", "recoloured"}));
  shot = probe.screenshotWhen([](const XwdImage& image) { return fullScreenShowing(image, BLUE); });
  ASSERT_TRUE(shot);
  expectFullScreenPixel(*shot, 160, 100, BLUE);
  expectFullScreenPixel(*shot, 480, 100, GREEN);
  expectFullScreenPixel(*shot, 160, 300, TEXT_BLUE);

  probe.keys({"x"});
  EXPECT_EQ(probe.lines(1), (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, AltEnterAndMaximisingSwitchWindowAndFullScreen) {
  Probe probe("kestal-switch");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  ASSERT_TRUE(
      probe.screenshotWhen([](const XwdImage& image) { return fullScreenShowing(image, ORANGE); }));

  // Alt+Enter: a 640 x 400 window showing the picture pixel for pixel.
  probe.keys({"alt+Return"});
  auto shot = probe.screenshotWhen(windowShowing);
  ASSERT_TRUE(shot);
  ASSERT_TRUE(sized(*shot, 640, 400)) << shot->width() << " x " << shot->height();
  expectWindowPicture(*shot, ORANGE);

  // Back to full screen with the picture intact.
  probe.keys({"alt+Return"});
  shot =
      probe.screenshotWhen([](const XwdImage& image) { return fullScreenShowing(image, ORANGE); });
  ASSERT_TRUE(shot);
  ASSERT_TRUE(sized(*shot, SCREEN_W, SCREEN_H));
  expectFullScreenPixel(*shot, 480, 100, GREEN);
  expectFullScreenPixel(*shot, 160, 300, TEXT_BLUE);

  // Maximising the window means full screen too; Alt+Enter then gives the plain window.
  probe.keys({"alt+Return"});
  ASSERT_TRUE(probe.screenshotWhen(windowShowing));
  ASSERT_EQ(probe.windowRequest("maximize"), 0);
  shot =
      probe.screenshotWhen([](const XwdImage& image) { return fullScreenShowing(image, ORANGE); });
  ASSERT_TRUE(shot);
  ASSERT_TRUE(sized(*shot, SCREEN_W, SCREEN_H)) << shot->width() << " x " << shot->height();
  expectFullScreenPixel(*shot, 160, 300, TEXT_BLUE);
  probe.keys({"alt+Return"});
  shot = probe.screenshotWhen(windowShowing);
  ASSERT_TRUE(shot);
  ASSERT_TRUE(sized(*shot, 640, 400)) << shot->width() << " x " << shot->height();
  expectWindowPicture(*shot, ORANGE);

  // None of the switches gave a key code: the next code read is the x that ends the probe.
  probe.keys({"x"});
  EXPECT_EQ(probe.lines(1), (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, WithoutAWindowManagerTheScreenIsAWindow) {
  // Nobody to grant full screen: a plain 640 x 400 window, not a cropped full-screen picture.
  const XSession bare(SCREEN_W, SCREEN_H, false);
  ASSERT_TRUE(bare.ready());
  Probe probe("kestal-bare", bare);
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  const auto shot = probe.screenshotWhen(windowShowing);
  ASSERT_TRUE(shot);
  ASSERT_TRUE(sized(*shot, 640, 400)) << shot->width() << " x " << shot->height();
  expectWindowPicture(*shot, ORANGE);
  // Alt+Enter cannot switch either; the window stays as it is. (The recolouring answered
  // shows the key after it has been handled and two more pictures presented.)
  probe.keys({"alt+Return", "p"});
  EXPECT_EQ(probe.lines(2), (std::vector<std::string>{"key 112", "recoloured"}));
  const auto after = probe.screenshotWhen(
      [](const XwdImage& image) { return sized(image, 640, 400) && image.at(0, 0) == BLUE; });
  ASSERT_TRUE(after);
  ASSERT_TRUE(sized(*after, 640, 400)) << after->width() << " x " << after->height();
  expectWindowPicture(*after, BLUE);
  probe.keys({"x"});
  EXPECT_EQ(probe.lines(1), (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, KeysArriveAsPcKeyCodes) {
  Probe probe("kestal-keys");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  // A layout with e acute on AltGr+E, the rest as the US one: typed text is not all ASCII.
  ASSERT_EQ(runCommand(Launch({"setxkbmap", "-layout", "us", "-variant", "altgr-intl"},
                              session->environment()))
                .status,
            0);
  probe.keys({"a", "shift+a", "Return", "Escape", "BackSpace", "Tab", "space", "Pause", "Up",
              "Left", "F1", "shift+F2", "alt+q", "ctrl+c", "KP_Home", "alt+F4", "eacute", "x"});
  const std::vector<std::string> expected{
      "key 97", "key 65",     "key 13",      "key 27",     "key 8",      "key 9",
      "key 32", "key 255 72", "key 255 75",  "key 255 59", "key 255 85", "key 255 16",
      "key 3",  "key 255 71", "key 255 107", "key 130",    "key 120"};
  EXPECT_EQ(probe.lines(expected.size()), expected);
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, CloseRequestGivesCloseKeyAndTheWindowStays) {
  Probe probe("kestal-close");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  for (int press = 0; press < 2; ++press) {
    EXPECT_EQ(probe.windowRequest("close"), 0);
  }
  EXPECT_EQ(probe.lines(2), (std::vector<std::string>{"key 255 107", "key 255 107"}));
  EXPECT_TRUE(probe.process().running());
  EXPECT_FALSE(
      runCommand(Launch({"xdotool", "search", "--name", "^kestal-close$"}, session->environment()))
          .output.empty());
  probe.keys({"x"});
  EXPECT_EQ(probe.lines(1), (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, RetraceIsPacedByTheDisplay) {
  Probe probe("kestal-pace");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  // "ready vsync=V retrace-ms=T": a retrace is a refresh of about 60 Hz, vsync or not.
  double retraceMs = 0;
  int vsync = -1;
  ASSERT_EQ(
      std::sscanf(probe.readyLine().c_str(), "ready vsync=%d retrace-ms=%lf", &vsync, &retraceMs),
      2);
  EXPECT_TRUE(vsync == 0 || vsync == 1);
  EXPECT_GT(retraceMs, 10.0) << "waitRetrace does not wait";
  RecordProperty("ready", probe.readyLine());
  std::printf("probe reports: %s\n", probe.readyLine().c_str());
}

TEST_F(SdlDisplayTest, InterruptAndTerminateEndTheProgramAtOnce) {
  // SDL would otherwise turn both signals into a quit event and keep running.
  for (const int signal : {SIGINT, SIGTERM}) {
    Probe probe(signal == SIGINT ? "kestal-interrupt" : "kestal-terminate");
    ASSERT_TRUE(probe.started()) << probe.process().errors();
    probe.process().sendSignal(signal);
    EXPECT_EQ(probe.process().waitForExit(5s), 128 + signal);
    EXPECT_EQ(probe.process().output().find("key"), std::string::npos);
  }
}

// One line on stderr that names the cause, and exit status 1.
void expectNoDisplayFailure(const Environment& environment, const std::string& cause) {
  std::vector<std::string> command{PROBE_PATH};
  const CommandResult result = runCommand(Launch(command, environment), 10s);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  EXPECT_NE(result.errors.find(cause), std::string::npos) << result.errors;
  EXPECT_EQ(result.output.find("ready"), std::string::npos);
}

TEST(SdlNoDisplay, ReportsTheCauseAndEndsWithStatusOne) {
  expectNoDisplayFailure({{"DISPLAY", std::nullopt},
                          {"WAYLAND_DISPLAY", std::nullopt},
                          {"SDL_VIDEODRIVER", std::nullopt}},
                         "DISPLAY is not set");
  expectNoDisplayFailure(
      {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"SDL_VIDEODRIVER", "dummy"}},
      "\"dummy\"");
}

}  // namespace
}  // namespace sdltest
