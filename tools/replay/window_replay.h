// kestal-replay --window (desktop build only): the replay shown in a window at the display's
// pace, heard in the sound edition, with the viewer's controls (see platform/sdl/sdl_watch.h).
#pragma once

#include <vector>

#include "replay/key_script.h"
#include "tools/replay/replay_options.h"
#include "tools/replay/replay_session.h"

namespace kestal::replay {

// As runReplay, with the same files; a missing display ends it with status 1.
ReplayResult runReplayInWindow(const ReplayOptions& options, const std::vector<KeyEvent>& events);

}  // namespace kestal::replay
