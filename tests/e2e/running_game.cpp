#include "tests/e2e/running_game.h"

#include <cstdio>
#include <thread>

#include "tests/e2e/game_picture.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto WINDOW_TIMEOUT = 15s;
constexpr auto XDOTOOL_TIMEOUT = 10s;

}  // namespace

Program silentEdition() {
  return {KESTAL_SILENT_PATH, "silent"};
}

Program soundEdition() {
  return {KESTAL_PATH, "sound"};
}

bool soundEditionBuilt() {
  return std::string_view(KESTAL_PATH) != "" && std::filesystem::exists(KESTAL_PATH);
}

std::filesystem::path buildDirectory() {
  return KESTAL_BUILD_DIR;
}

std::string silentAudioConfig() {
  return "[general]\ndrivers = null\n";
}

std::string recordingAudioConfig(const std::filesystem::path& mixFile) {
  return "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\nfrequency = 22050\n"
         "dither = false\n[wave]\nfile = " +
         mixFile.string() + "\n";
}

RunningGame::RunningGame(XServer& x, const Program& program, const Environment& environment,
                         const std::filesystem::path& workingDirectory)
    : x_(x), title_(program.title()), process_([&] {
        Launch launch({program.path.string()}, x.environment());
        launch.workingDirectory = workingDirectory;
        for (const auto& [name, value] : environment) launch.environment[name] = value;
        return launch;
      }()) {
  started_ = x_.waitForWindow(title_, WINDOW_TIMEOUT).has_value();
}

std::optional<WindowId> RunningGame::window() {
  const std::optional<WindowId> now = x_.findWindow(title_);
  if (now) lastWindow_ = *now;
  return now;
}

std::optional<Rect> RunningGame::windowRect() {
  const std::optional<WindowId> now = window();
  if (!now) return std::nullopt;
  return x_.windowRect(*now);
}

std::string RunningGame::windowForKeys() {
  window();
  return std::to_string(lastWindow_);
}

void RunningGame::press(const std::vector<std::string>& keys) {
  std::vector<std::string> argv{"xdotool", "key", "--window", windowForKeys()};
  argv.insert(argv.end(), keys.begin(), keys.end());
  runCommand(Launch(argv, x_.environment()), XDOTOOL_TIMEOUT);
}

void RunningGame::hold(const std::string& key, std::chrono::milliseconds duration) {
  // Without --window xdotool types at the keyboard itself, which is what auto-repeats.
  const Environment display = x_.environment();
  runCommand(Launch({"xdotool", "windowactivate", "--sync", windowForKeys()}, display),
             XDOTOOL_TIMEOUT);
  runCommand(Launch({"xdotool", "keydown", key}, display), XDOTOOL_TIMEOUT);
  std::this_thread::sleep_for(duration);
  runCommand(Launch({"xdotool", "keyup", key}, display), XDOTOOL_TIMEOUT);
}

std::optional<RgbImage> RunningGame::picture() {
  const std::optional<Rect> rect = windowRect();
  if (!rect) return std::nullopt;
  return pictureIn(x_.screenshot(), *rect);
}

RunningGame::Sighting RunningGame::waitForPicture(
    const std::function<bool(const RgbImage&)>& wanted, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  Sighting sighting;
  for (;;) {
    if (std::optional<RgbImage> now = picture()) {
      sighting.last = std::move(now);
      if (wanted(*sighting.last)) {
        sighting.found = true;
        return sighting;
      }
    }
    if (Clock::now() >= deadline) return sighting;
    std::this_thread::sleep_for(30ms);
  }
}

std::optional<RgbImage> replayPicture(const std::string& edition, const std::string& script,
                                      int retrace, std::string& failure) {
  ScratchDirectory scratch("replay");
  const std::filesystem::path keys = scratch.path() / "keys.txt";
  writeFile(keys, script);
  const std::string frame = std::to_string(retrace);
  const CommandResult run =
      runCommand(Launch({REPLAY_PATH, "--edition", edition, "--keys", keys.string(), "--frames",
                         frame, "--png-at", frame, "--out", scratch.path().string()}));
  if (run.status != 0) {
    failure = "kestal-replay failed: " + run.errors;
    return std::nullopt;
  }
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", retrace);
  std::optional<RgbImage> picture = loadPng(scratch.path() / name);
  if (!picture) failure = std::string("kestal-replay wrote no ") + name;
  return picture;
}

}  // namespace e2e
