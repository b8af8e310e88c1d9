#include "tools/replay/window_replay.h"

#include <cstdio>
#include <string>

#include "game/game_sound.h"
#include "platform/sdl/sdl_display.h"
#if defined(KESTAL_REPLAY_SOUND)
#include "sound/openal_sound.h"
#endif

namespace kestal::replay {
namespace {

// Titles the window and starts every message, as the tool's own name.
constexpr const char* TOOL_NAME = "kestal-replay";

#if defined(KESTAL_REPLAY_SOUND)
// The sound edition's effects, read from the build's sound/ folder and set up when the game
// first asks for one: by then the window is open, so a missing display is the run's only
// complaint. Without sound the game plays on silently. The game releases the sound when it
// ends the program itself; any other end of the run (the script's end, the viewer leaving)
// releases it here.
class ShownSound final : public GameSound {
 public:
  ShownSound() = default;
  ShownSound(const ShownSound&) = delete;
  ShownSound& operator=(const ShownSound&) = delete;
  ~ShownSound() override { release(); }

  void play(SoundSlot slot, bool looping) override {
    if (ready()) engine_.play(slot, looping);
  }
  void stop(SoundSlot slot) override {
    if (ready()) engine_.stop(slot);
  }
  void release() override {
    if (state_ == State::Ready) engine_.release();
    state_ = State::Off;
  }

 private:
  enum class State { NotSetUp, Ready, Off };

  bool ready() {
    if (state_ == State::NotSetUp) setUp();
    return state_ == State::Ready;
  }
  void setUp() {
    const std::string problem = engine_.trySetUpSound(KESTAL_REPLAY_DATA_DIR);
    state_ = problem.empty() ? State::Ready : State::Off;
    if (!problem.empty()) {
      std::fprintf(stderr, "%s: no sound (%s); playing on without it\n", TOOL_NAME,
                   problem.c_str());
    }
  }

  OpenAlSound engine_;
  State state_ = State::NotSetUp;
};
#else
using ShownSound = NoSound;
#endif

}  // namespace

ReplayResult runReplayInWindow(const ReplayOptions& options, const std::vector<KeyEvent>& events) {
  SdlDisplay display(TOOL_NAME, SdlDisplay::Mode::Watch);
  if (options.edition == EditionChoice::Silent) {
    NoSound silence;
    return runReplay(options, events, display, silence);
  }
  ShownSound sound;
  return runReplay(options, events, display, sound);
}

}  // namespace kestal::replay
