// The SDL back end in a real window: a private Xvfb with openbox, the probe program drawing a
// known picture, keys typed with xdotool, screenshots taken with xwd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "x_session.h"
#include "xwd_image.h"

namespace sdltest {
namespace {

constexpr int SCREEN_W = 1024;  // a 4:3 screen: full screen fills it exactly
constexpr int SCREEN_H = 768;

// The probe's palette entries, at 6 bits per component, as 8-bit values floor(v * 255 / 63).
constexpr Colour ORANGE{255, 129, 0};    // entry 40: 63, 32, 0
constexpr Colour GREEN{0, 255, 85};      // entry 41: 0, 63, 21
constexpr Colour SLATE{40, 80, 121};     // entry 42: 10, 20, 30
constexpr Colour BLUE{0, 0, 255};        // entry 40 after "p": 0, 0, 63
constexpr Colour TEXT_BLUE{0, 0, 170};   // default palette entry 1
constexpr Colour BLACK{0, 0, 0};

XSession* session = nullptr;

class SdlDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!isInstalled("Xvfb") || !isInstalled("openbox") || !isInstalled("xdotool") ||
        !isInstalled("xwd")) {
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
  explicit Probe(const std::string& name) {
    directory_ = std::filesystem::temp_directory_path() /
                 ("kestal-sdl-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::create_directories(directory_);
    const auto path = directory_ / (name + ".bin");
    std::filesystem::create_symlink(PROBE_PATH, path);
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{path.string()},
                                              session->environment());
    const std::optional<std::string> ready = process_->readLine(15s);
    if (ready && ready->rfind("ready", 0) == 0) readyLine_ = *ready;
    const CommandResult search = runCommand(
        {"xdotool", "search", "--sync", "--name", "^" + name + "$"}, session->environment(), 5s);
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
    ASSERT_EQ(runCommand(command, session->environment()).status, 0);
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
        runCommand({"xwd", "-silent", "-id", window_}, session->environment());
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

TEST_F(SdlDisplayTest, FullScreenPictureWindowSwitchAndPaletteChange) {
  Probe probe("kestal-title.check");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  // The title is the program's file name without directory and extension.
  EXPECT_FALSE(runCommand({"xdotool", "search", "--name", "^kestal-title$"}, session->environment())
                   .output.empty());

  auto shot = probe.screenshotWhen([](const XwdImage& image) {
    return sized(image, SCREEN_W, SCREEN_H) && fullScreenPixel(image, 160, 100) == ORANGE;
  });
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width(), SCREEN_W);
  ASSERT_EQ(shot->height(), SCREEN_H);
  const auto expectFull = [&](const XwdImage& image, double x, double y, const Colour& colour) {
    EXPECT_EQ(fullScreenPixel(image, x, y), colour)
        << "picture (" << x << ", " << y << ") shows " << describe(fullScreenPixel(image, x, y));
  };
  expectFull(*shot, 160, 100, ORANGE);
  expectFull(*shot, 480, 100, GREEN);
  expectFull(*shot, 160, 300, TEXT_BLUE);
  expectFull(*shot, 560, 250, BLACK);
  expectFull(*shot, 440, 325, SLATE);
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

  // A palette change recolours what is already on display.
  probe.keys({"p"});
  EXPECT_EQ(probe.lines(2), (std::vector<std::string>{"key 112", "recoloured"}));
  shot = probe.screenshotWhen(
      [](const XwdImage& image) { return fullScreenPixel(image, 160, 100) == BLUE; });
  ASSERT_TRUE(shot);
  expectFull(*shot, 160, 100, BLUE);
  expectFull(*shot, 480, 100, GREEN);

  // Alt+Enter: a 640 x 400 window showing the picture pixel for pixel, and no key code.
  probe.keys({"alt+Return"});
  shot = probe.screenshotWhen([](const XwdImage& image) { return sized(image, 640, 400); });
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width(), 640);
  ASSERT_EQ(shot->height(), 400);
  EXPECT_EQ(shot->at(319, 199), BLUE);
  EXPECT_EQ(shot->at(320, 199), GREEN);
  EXPECT_EQ(shot->at(319, 200), TEXT_BLUE);
  EXPECT_EQ(shot->at(400, 300), SLATE);
  EXPECT_EQ(shot->at(479, 349), SLATE);
  EXPECT_EQ(shot->at(480, 349), BLACK);
  EXPECT_EQ(shot->at(479, 350), BLACK);

  // And back to full screen with the picture intact.
  probe.keys({"alt+Return"});
  shot = probe.screenshotWhen([](const XwdImage& image) {
    return sized(image, SCREEN_W, SCREEN_H) && fullScreenPixel(image, 440, 325) == SLATE;
  });
  ASSERT_TRUE(shot);
  expectFull(*shot, 160, 100, BLUE);
  expectFull(*shot, 440, 325, SLATE);

  // The Alt+Enter presses gave no codes: the next code read is the x that ends the probe.
  probe.keys({"x"});
  EXPECT_EQ(probe.lines(1), (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, KeysArriveAsPcKeyCodes) {
  Probe probe("kestal-keys");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  probe.keys({"a", "shift+a", "Return", "Escape", "BackSpace", "Tab", "space", "Pause", "Up",
              "Left", "F1", "shift+F2", "alt+q", "ctrl+c", "KP_Home", "alt+F4", "eacute", "x"});
  const std::vector<std::string> expected{
      "key 97",      "key 65",      "key 13",      "key 27",      "key 8",
      "key 9",       "key 32",      "key 255 72",  "key 255 75",  "key 255 59",
      "key 255 85",  "key 255 16",  "key 3",       "key 255 71",  "key 255 107",
      "key 130",     "key 120"};
  EXPECT_EQ(probe.lines(expected.size()), expected);
  EXPECT_EQ(probe.process().waitForExit(5s), 5);
}

TEST_F(SdlDisplayTest, CloseRequestGivesCloseKeyAndTheWindowStays) {
  Probe probe("kestal-close");
  ASSERT_TRUE(probe.started()) << probe.process().errors();
  for (int press = 0; press < 2; ++press) {
    EXPECT_EQ(runCommand({SEND_CLOSE_REQUEST_PATH, probe.window()}, session->environment()).status,
              0);
  }
  EXPECT_EQ(probe.lines(2), (std::vector<std::string>{"key 255 107", "key 255 107"}));
  EXPECT_TRUE(probe.process().running());
  EXPECT_FALSE(runCommand({"xdotool", "search", "--name", "^kestal-close$"}, session->environment())
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
  ASSERT_EQ(std::sscanf(probe.readyLine().c_str(), "ready vsync=%d retrace-ms=%lf", &vsync,
                        &retraceMs),
            2);
  EXPECT_TRUE(vsync == 0 || vsync == 1);
  EXPECT_GT(retraceMs, 10.0) << "waitRetrace does not wait";
  RecordProperty("ready", probe.readyLine());
  std::printf("probe reports: %s\n", probe.readyLine().c_str());
}

// One line on stderr that names the cause, and exit status 1.
void expectNoDisplayFailure(const Environment& environment, const std::string& cause) {
  std::vector<std::string> command{PROBE_PATH};
  const CommandResult result = runCommand(command, environment, 10s);
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
  expectNoDisplayFailure({{"DISPLAY", std::nullopt},
                          {"WAYLAND_DISPLAY", std::nullopt},
                          {"SDL_VIDEODRIVER", "dummy"}},
                         "\"dummy\"");
}

}  // namespace
}  // namespace sdltest
