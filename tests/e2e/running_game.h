// One of the real programs running on a private X server, played as a player would: keys
// typed with xdotool, the picture read off the screen.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/rgb_image.h"
#include "tests/e2e/scratch_files.h"
#include "tests/e2e/x_server.h"

namespace e2e {

struct Program {
  std::filesystem::path path;
  std::string edition;  // as the replay tool names it: "sound" or "silent"
  std::string title() const { return path.stem().string(); }
};

Program silentEdition();
Program soundEdition();
bool soundEditionBuilt();

// Where the programs find sound/*.wav.
std::filesystem::path buildDirectory();

// An OpenAL Soft configuration that plays nothing, or that writes the mix to `mixFile`
// (mono, 16 bit, 22050 Hz, no dither), so the sound edition runs without a sound card.
std::string silentAudioConfig();
std::string recordingAudioConfig(const std::filesystem::path& mixFile);

class RunningGame {
 public:
  // Starts the program and waits for its window. `environment` adds to the X server's.
  RunningGame(XServer& x, const Program& program, const Environment& environment = {},
              const std::filesystem::path& workingDirectory = {});

  // The window was found; otherwise see errors().
  bool started() const { return started_; }
  // The program's window as it is now (see XServer::findWindow); nullopt once it is gone.
  std::optional<WindowId> window();
  ChildProcess& process() { return process_; }
  std::string errors() const { return process_.errors(); }

  // Keys as xdotool names them ("Return", "minus", "alt+Return"), sent to the window.
  void press(const std::vector<std::string>& keys);
  // Holds a key down at the keyboard (so it auto-repeats) while the window has the focus.
  void hold(const std::string& key, std::chrono::milliseconds duration);

  std::optional<Rect> windowRect();
  // The game's picture as it is on the screen now.
  std::optional<RgbImage> picture();
  // Pictures until one satisfies `wanted` (the window system or the game may still be
  // catching up); the last one seen either way, or nullopt if none could be read.
  struct Sighting {
    bool found = false;
    std::optional<RgbImage> last;
  };
  Sighting waitForPicture(const std::function<bool(const RgbImage&)>& wanted,
                          std::chrono::milliseconds timeout = 5s);

  std::optional<int> waitForExit(std::chrono::milliseconds timeout = 5s) {
    return process_.waitForExit(timeout);
  }

 private:
  // The window keys go to: the current one, or the last one seen.
  std::string windowForKeys();

  XServer& x_;
  std::string title_;
  ChildProcess process_;
  bool started_ = false;
  WindowId lastWindow_ = 0;
};

// What the headless replay shows at `retrace` after the keys of `script` (its key-script
// text), in the given edition; nullopt (with the reason in `failure`) if it could not run.
std::optional<RgbImage> replayPicture(const std::string& edition, const std::string& script,
                                      int retrace, std::string& failure);

}  // namespace e2e
