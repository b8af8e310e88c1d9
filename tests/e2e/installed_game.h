// An installed game as a desktop starts it: through its menu entry's command. Shared by the
// install test (cmake --install into a scratch prefix) and the package test (the .deb
// installed by apt). Header only, so that both test folders can use it as they are.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/running_game.h"
#include "tests/e2e/scratch_files.h"
#include "tests/e2e/wav_file.h"
#include "tests/e2e/x_server.h"

namespace e2e {

using DesktopEntry = std::map<std::string, std::string>;  // "Group/Key" to value

inline DesktopEntry readDesktopEntry(const std::filesystem::path& path) {
  DesktopEntry entry;
  std::istringstream lines(readFile(path));
  std::string line, group;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = line.substr(1, line.size() - 2);
    } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
      entry[group + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return entry;
}

// An Exec value split into the program and its arguments as a desktop does: blanks separate
// them, double quotes group, and a backslash inside quotes keeps the next character.
inline std::vector<std::string> execArguments(const std::string& exec) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false, started = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted && c == '\\' && i + 1 < exec.size()) {
      current += exec[++i];
    } else if (c == '"') {
      quoted = !quoted;
      started = true;
    } else if (c == ' ' && !quoted) {
      if (started) arguments.push_back(current);
      current.clear();
      started = false;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) arguments.push_back(current);
  return arguments;
}

// Starts `launch` (the sound edition, by whatever way), lets the warp of the start-up play,
// quits at the Delay prompt and keeps what the game wrote on standard error in `errors`.
inline void playUntilTheDelayPrompt(XServer& x, Launch launch, std::string& errors) {
  for (const auto& [name, value] : x.environment()) launch.environment[name] = value;
  ChildProcess process(launch);
  ASSERT_TRUE(x.waitForWindow("kestal", 15s)) << process.errors();
  std::this_thread::sleep_for(1200ms);  // the warp lasts a second
  const std::optional<WindowId> current = x.findWindow("kestal");
  ASSERT_TRUE(current);
  runCommand(
      Launch({"xdotool", "key", "--window", std::to_string(*current), "Escape"}, x.environment()));
  ASSERT_EQ(process.waitForExit(5s), 0) << process.errors();
  errors = process.errors();
}

// Starts `launch` as above on OpenAL Soft's null device, which plays nowhere and needs no
// configuration, and checks that the game found every sound file.
inline void expectFindsItsSounds(XServer& x, Launch launch) {
  launch.environment["ALSOFT_CONF"] = std::nullopt;
  launch.environment["ALSOFT_DRIVERS"] = "null";
  std::string errors;
  playUntilTheDelayPrompt(x, launch, errors);
  EXPECT_EQ(errors.find("cannot load sound/"), std::string::npos) << errors;
}

// Starts `launch` as above and checks that what was heard is the installed warp: the game
// found its sounds. OpenAL Soft writes the mix to a file in `scratch`.
inline void expectStartsWithTheWarp(XServer& x, Launch launch,
                                    const std::filesystem::path& warpFile,
                                    const std::filesystem::path& scratch) {
  const std::filesystem::path config = scratch / "alsoft.conf";
  const std::filesystem::path mixFile = scratch / "mix.wav";
  writeFile(config, recordingAudioConfig(mixFile));
  launch.environment["ALSOFT_CONF"] = config.string();
  launch.environment["ALSOFT_DRIVERS"] = std::nullopt;
  std::string errors;
  playUntilTheDelayPrompt(x, launch, errors);
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_EQ(errors, "") << "a sound file was not found";

  const std::optional<Sound> mix = readWav(mixFile);
  const std::optional<Sound> warp = readWav(warpFile);
  ASSERT_TRUE(mix && warp);
  ASSERT_GE(mix->samples.size(), 4096u);
  EXPECT_GT(likeness(std::span(mix->samples).subspan(2048, 1024), warp->samples, false), 0.9);
}

}  // namespace e2e
