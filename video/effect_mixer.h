// The sound edition's five effects as a video hears them: each slot plays its WAV file from
// the start when the game plays it, loops or stops as the game says, and the slots are added
// into one mono track at the video's rate. The game calls it through GameSound; the
// recording asks for the samples of each retrace as the game moves past it.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "game/game_sound.h"

namespace kestal::video {

class EffectMixer final : public GameSound {
 public:
  // Reads sound/*.wav in `directory` ("" for the working directory) as the game reads them.
  // A file that cannot be read leaves its effect silent, as in the game; each such file is
  // named in `problems`, one sentence each.
  explicit EffectMixer(const std::string& directory);

  void play(SoundSlot slot, bool looping) override;
  void stop(SoundSlot slot) override;
  void release() override;

  // The next `out.size()` samples, in -1..1, and the effects moved on by as much. The gain
  // is fixed so that all five at their loudest together still stay within -1..1.
  void mix(std::span<float> out);

  const std::vector<std::string>& problems() const { return problems_; }

 private:
  struct Effect {
    std::vector<float> samples;  // mono, -1..1, at the file's own rate
    double step = 0;             // file samples per output sample
    double position = 0;
    bool playing = false;
    bool looping = false;
  };

  std::array<Effect, SOUND_SLOTS> effects_{};
  float gain_ = 1.0f;
  std::vector<std::string> problems_;
};

}  // namespace kestal::video
