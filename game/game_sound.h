// The game's one narrow door to sound. The sound edition puts its OpenAL engine behind
// it; the silent edition and the replay tool put nothing there.
#pragma once

namespace kestal {

// Slot order of the five effects.
enum class SoundSlot { Warp = 0, Shield = 1, Laser = 2, Hit = 3, Explosion = 4 };
inline constexpr int SOUND_SLOTS = 5;

class GameSound {
 public:
  virtual ~GameSound() = default;
  // Sets the slot's looping flag, then starts it from the beginning.
  virtual void play(SoundSlot slot, bool looping) = 0;
  virtual void stop(SoundSlot slot) = 0;
  // Releases sources and buffers and shuts the audio library down: the last sound call
  // before the program ends.
  virtual void release() = 0;
};

// Sound that goes nowhere.
class NoSound final : public GameSound {
 public:
  void play(SoundSlot, bool) override {}
  void stop(SoundSlot) override {}
  void release() override {}
};

}  // namespace kestal
