// One recording played through the game core, headless, silent, without the busy waits and
// without pictures (nothing the game keeps depends on them), noting each game as it ends.
#pragma once

#include <vector>

#include "game/edition.h"
#include "hall/verify/verification.h"
#include "replay/key_script.h"

namespace kestal::hall {

struct RecordingRun {
  std::vector<GameOutcome> games;  // the games that ended, in order
  bool gameUnfinished = false;     // one was still being played when the run stopped
  bool reachedRetraceLimit = false;
};

// Plays the events as kestal-replay delivers them, until the program ends, the retrace limit
// of a recording is reached, or no key is left to give and the queue is empty (no game can
// end without a key). Busy waits on or off give the same games; off, every delay costs the
// same. One run at a time per process.
RecordingRun playRecording(const Edition& edition, const std::vector<replay::KeyEvent>& events,
                           bool busyWaits = false);

}  // namespace kestal::hall
