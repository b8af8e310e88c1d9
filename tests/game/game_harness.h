// Runs the whole game headless with keys typed at chosen retraces, and lets a test look at
// the state and the screen at every retrace.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/game_sound.h"

namespace kestal::testing {

// What the game asked of the sound, in order, with the retrace it happened after.
struct SoundCall {
  enum Kind { Play, Stop, Release } kind;
  SoundSlot slot;
  bool looping;
  std::uint64_t retrace;
  friend bool operator==(const SoundCall&, const SoundCall&) = default;
  friend void PrintTo(const SoundCall& c, std::ostream* os) {
    static const char* const KINDS[] = {"play", "stop", "release"};
    *os << KINDS[c.kind] << " slot " << static_cast<int>(c.slot) << (c.looping ? " looping" : "")
        << " after retrace " << c.retrace;
  }
};

class RecordingSound final : public GameSound {
 public:
  explicit RecordingSound(const std::uint64_t* retrace) : retrace_(retrace) {}
  void play(SoundSlot slot, bool looping) override {
    calls.push_back({SoundCall::Play, slot, looping, *retrace_});
  }
  void stop(SoundSlot slot) override { calls.push_back({SoundCall::Stop, slot, false, *retrace_}); }
  void release() override {
    calls.push_back({SoundCall::Release, SoundSlot::Warp, false, *retrace_});
  }
  std::vector<SoundCall> calls;

 private:
  const std::uint64_t* retrace_;
};

struct GameRun {
  // Keys typed right after retrace n (0: as soon as the screen opens), as queue entries.
  std::map<std::uint64_t, std::vector<int>> keys;
  // Called at every retrace with the state as it stands; return false to stop the run.
  std::function<bool(std::uint64_t retrace, const GameState&)> onRetrace;
  std::uint64_t maxRetraces = 200000;
  const Edition* edition = &SOUND_EDITION;

  // Filled by run().
  std::unique_ptr<GameState> state;
  std::uint64_t retraces = 0;
  int exitCode = -1;
  bool endedByGame = false;  // exitProgram was called
  std::vector<SoundCall> sounds;

  void type(std::uint64_t retrace, const std::string& text);  // characters
  void press(std::uint64_t retrace, int entry);               // one queue entry
  void run();
};

// Keys for the Delay prompt: `delay` then Enter, typed at retraces 1, 2, ...; returns the
// retrace of the Enter.
std::uint64_t answerDelay(GameRun& run, const std::string& delay);

}  // namespace kestal::testing
