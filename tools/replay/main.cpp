// kestal-replay: runs the game on a key script, headless or in a window, and records what it
// shows.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "replay/key_script.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_session.h"
#if !defined(__EMSCRIPTEN__)
#include "tools/replay/video_replay.h"
#include "tools/replay/window_replay.h"
#endif

namespace {

using namespace kestal::replay;

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "kestal-replay: %s\n", message.c_str());
  return status;
}

KeyScript loadKeyScript(const std::string& path) {
  if (path.empty()) return {};
  if (path == "-") {
    KeyScript script = parseKeyScript(std::cin);
    if (!script.error.empty()) script.error = "key script on standard input, " + script.error;
    return script;
  }
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return {{}, "cannot read key file '" + path + "': it is a directory"};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, "cannot read key file '" + path + "': " + std::strerror(errno)};
  KeyScript script = parseKeyScript(file);
  if (!script.error.empty()) script.error = "key file '" + path + "' " + script.error;
  return script;
}

ReplayResult runChosenReplay(const ReplayOptions& options, const std::vector<KeyEvent>& events) {
#if !defined(__EMSCRIPTEN__)
  if (options.window) return runReplayInWindow(options, events);
  if (!options.videoPath.empty()) return runReplayToVideo(options, events);
#endif
  return runReplay(options, events);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::size_t argumentCount = argc > 1 ? static_cast<std::size_t>(argc - 1) : 0;
    const ParsedOptions parsed =
        parseReplayOptions(std::span<const char* const>(argv + 1, argumentCount));
    if (!parsed.error.empty()) return fail(EXIT_BAD_ARGUMENTS, parsed.error);
    if (parsed.options.help) {
      std::fputs(USAGE, stdout);
      return EXIT_FINISHED;
    }
    const KeyScript script = loadKeyScript(parsed.options.keysPath);
    if (!script.error.empty()) return fail(EXIT_BAD_ARGUMENTS, script.error);
    const ReplayResult result = runChosenReplay(parsed.options, script.events);
    if (!result.error.empty()) return fail(result.exitStatus, result.error);
    return result.exitStatus;
  } catch (const std::exception& error) {
    return fail(EXIT_WRITE_FAILED, error.what());
  }
}
