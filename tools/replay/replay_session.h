// One run of the game on a key script: keys from the script go into the key queue at their
// retraces, and every retrace is recorded to the trace, the state trace and pictures.
#pragma once

#include <string>
#include <vector>

#include "game/game_sound.h"
#include "replay/key_playback.h"
#include "replay/key_script.h"
#include "screen/display_backend.h"
#include "tools/replay/replay_options.h"
#include "video/video_recording.h"

namespace kestal::replay {

// Exit statuses of the tool.
inline constexpr int EXIT_FINISHED = 0;
inline constexpr int EXIT_WRITE_FAILED = 1;
inline constexpr int EXIT_BAD_ARGUMENTS = 2;

struct ReplayResult {
  int exitStatus = EXIT_FINISHED;
  std::string error;  // one line when exitStatus is not EXIT_FINISHED
};

// Creates the outputs (a failure there is a bad argument: nothing runs), then runs the game
// headless and silent until it ends the program, the last frame is recorded, or it waits for
// a key that the script no longer has. Every file is complete when this returns.
ReplayResult runReplay(const ReplayOptions& options, const std::vector<KeyEvent>& events);

// The same run shown on `shown` (not installed as the screen's back end: the run installs
// it behind the script), heard through `sound` and, with `video`, filmed until its range
// ends. A back end that cannot show the game ends the run with its own status, having said
// why.
ReplayResult runReplay(const ReplayOptions& options, const std::vector<KeyEvent>& events,
                       DisplayBackend& shown, GameSound& sound,
                       video::VideoRecording* video = nullptr);

}  // namespace kestal::replay
