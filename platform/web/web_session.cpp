#include "platform/web/web_session.h"

#include <emscripten.h>
#include <malloc.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include "replay/display_trace.h"
#include "replay/key_playback.h"
#include "replay/key_recording.h"
#include "screen/keyboard.h"
#include "screen/program.h"

namespace {

// Enter is what answers the Delay prompt: from the first one on, a game is under way and the
// page asks before it is left.
EM_JS(void, pageEnterQueued, (), { kestalPage.enterQueued(); });

constexpr int ENTER = 13;
// A trace line per retrace: an hour of play at 60 Hz fits before the text grows.
constexpr std::size_t TRACE_BYTES_EXPECTED = 216000 * 40;

struct Watching {
  kestal::replay::KeyPlayback playback;
  std::uint64_t lastRetrace;  // the recording's last retrace: watching ends there
  int retracesPerFrame = 1;
  bool paused = false;
  bool leaving = false;
};

struct Session {
  kestal::replay::KeyRecording recording;
  bool enterQueued = false;
  bool tracing = false;
  std::string trace;
  std::optional<Watching> watching;
  std::string problem;
};

Session& session() {
  static Session instance;
  return instance;
}

void deliver(int entry) {
  kestal::queueKey(entry);
}

// Watching ends as the replay tool's run does: the game gets no more keys.
void endWatching() {
  kestal::exitProgram(0);
}

}  // namespace

namespace kestal {

void queueKey(int entry) {
  Session& s = session();
  pushKey(entry);
  s.recording.add(entry);
  if (entry == ENTER && !s.enterQueued) {
    s.enterQueued = true;
    pageEnterQueued();
  }
}

void openedScreen() {
  if (session().watching) session().watching->playback.deliverUpTo(0);
}

bool beginRetrace() {
  Session& s = session();
  s.recording.waitingForRetrace();
  const std::uint64_t retrace = s.recording.retraces();
  if (s.tracing) {
    char line[replay::TRACE_LINE_MAX_CHARS];
    s.trace.append(line, replay::appendDisplayTraceLine(line, retrace));
  }
  if (!s.watching) return true;
  if (s.watching->leaving || retrace >= s.watching->lastRetrace) endWatching();
  return retrace % static_cast<std::uint64_t>(s.watching->retracesPerFrame) == 0;
}

void endRetrace() {
  Session& s = session();
  if (s.watching) s.watching->playback.deliverUpTo(s.recording.retraces());
}

bool emptyPollMayYield() {
  Session& s = session();
  s.recording.pollingWithoutRetraces();
  if (!s.watching) return true;
  // A replay hands the polling game its next key without waiting for the page.
  if (s.watching->leaving || !s.watching->playback.emptyPoll()) endWatching();
  return false;
}

bool watchPaused() {
  const Session& s = session();
  return s.watching && s.watching->paused && !s.watching->leaving;
}

}  // namespace kestal

extern "C" {

// The recording so far: a "<retrace> <key>" line for every key the game was given.
EMSCRIPTEN_KEEPALIVE const char* kestal_web_replay_lines() {
  return session().recording.lines().c_str();
}

// The last retrace so far (a double: JavaScript numbers hold it exactly).
EMSCRIPTEN_KEEPALIVE double kestal_web_retraces() {
  return static_cast<double>(session().recording.retraces());
}

// From now on keep a trace line per retrace, as kestal-replay --trace writes them.
EMSCRIPTEN_KEEPALIVE void kestal_web_keep_trace() {
  Session& s = session();
  if (!s.tracing) s.trace.reserve(TRACE_BYTES_EXPECTED);
  s.tracing = true;
}

EMSCRIPTEN_KEEPALIVE const char* kestal_web_trace_text() {
  return session().trace.c_str();
}

// The bytes the program has allocated and not freed: flat in play, which the long live game
// checks to the byte.
EMSCRIPTEN_KEEPALIVE double kestal_web_heap_in_use() {
  return static_cast<double>(mallinfo().uordblks);
}

// Before the program starts: plays `script` into the key queue instead of taking keys from
// the page, until the program ends, retrace `lastRetrace` has passed, or the game waits for
// a key the script does not have. Returns "" or the problem, as the replay tool words it
// ("line N: what is wrong").
EMSCRIPTEN_KEEPALIVE const char* kestal_web_watch(const char* script, double lastRetrace) {
  Session& s = session();
  std::istringstream in(script);
  kestal::replay::KeyScript parsed = kestal::replay::parseKeyScript(in);
  s.problem = parsed.error;
  if (!parsed.error.empty()) return s.problem.c_str();
  const bool bounded = lastRetrace >= 0 && lastRetrace < 1e18;
  s.watching.emplace(Watching{
      .playback = kestal::replay::KeyPlayback(std::move(parsed.events), deliver),
      .lastRetrace = bounded ? static_cast<std::uint64_t>(lastRetrace)
                             : std::numeric_limits<std::uint64_t>::max(),
  });
  return s.problem.c_str();
}

// Retraces per animation frame while watching: 1, 2, 4 or 8.
EMSCRIPTEN_KEEPALIVE void kestal_web_watch_speed(int retracesPerFrame) {
  if (session().watching && retracesPerFrame >= 1 && retracesPerFrame <= 8) {
    session().watching->retracesPerFrame = retracesPerFrame;
  }
}

EMSCRIPTEN_KEEPALIVE void kestal_web_watch_pause(int paused) {
  if (session().watching) session().watching->paused = paused != 0;
}

// Ends the program at its next retrace or key poll.
EMSCRIPTEN_KEEPALIVE void kestal_web_watch_leave() {
  if (session().watching) session().watching->leaving = true;
}

}  // extern "C"
