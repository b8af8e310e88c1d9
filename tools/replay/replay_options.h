// The replay tool's command line.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace kestal::replay {

enum class EditionChoice { Sound, Silent };

inline constexpr std::uint64_t DEFAULT_FRAMES = 100000;

struct ReplayOptions {
  EditionChoice edition = EditionChoice::Sound;
  std::string keysPath;  // empty: no keys; "-": standard input
  std::uint64_t frames = DEFAULT_FRAMES;
  std::string tracePath;
  std::string statePath;
  std::vector<std::uint64_t> pngAt;  // ascending, no repeats
  std::string outDir;
  bool window = false;  // shown in a window at the display's pace (desktop build only)
  std::string videoPath;  // .mp4 or .webm (desktop build only)
  std::uint64_t videoFrom = 1;
  std::uint64_t videoTo = std::numeric_limits<std::uint64_t>::max();
  bool help = false;  // print the usage and run nothing
};

// What --help prints.
extern const char* const USAGE;

struct ParsedOptions {
  ReplayOptions options;
  std::string error;  // one line naming the problem; empty when the command line is good
};

// `args` excludes the program name.
ParsedOptions parseReplayOptions(std::span<const char* const> args);

// Whether the run must draw: for the trace, the pictures or the window. A run asked only for
// the state trace leaves the pixels alone (the state never depends on them); a run asked for
// nothing draws, as the game does when someone watches.
bool needsPictures(const ReplayOptions& options);

}  // namespace kestal::replay
