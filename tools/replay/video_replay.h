// kestal-replay --video (desktop build only): the run filmed headless, as fast as the
// machine allows, into an .mp4 or .webm file.
#pragma once

#include <vector>

#include "replay/key_script.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_session.h"

namespace kestal::replay {

// As runReplay, with the same files; the video is complete when this returns, and a run
// that fails, or ends before --from, leaves no video behind.
ReplayResult runReplayToVideo(const ReplayOptions& options, const std::vector<KeyEvent>& events);

}  // namespace kestal::replay
