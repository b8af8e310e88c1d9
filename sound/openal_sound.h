// The sound edition's effects engine: five OpenAL buffers filled from WAV files through
// ALUT, one source each, everything at the origin and at rest.
#pragma once

#include <array>
#include <string>

#include "game/game_sound.h"

namespace kestal {

// Paths relative to the working directory, in slot order.
inline constexpr std::array<const char*, SOUND_SLOTS> SOUND_FILES{
    "sound/Warp.wav", "sound/Shield.wav", "sound/Laser.wav", "sound/Hit.wav",
    "sound/Explosion.wav"};

class OpenAlSound final : public GameSound {
 public:
  // Opens the default device and creates the buffers, loads the five files and creates
  // and places the sources and the listener. Call once, before anything else. A file that
  // cannot be loaded only warns on stderr and leaves its effect silent. On an OpenAL error
  // it prints "failed!" on stdout (and the reason on stderr), releases what it holds,
  // shuts ALUT down and returns false: the program must then end. It does not start the
  // warp sound; the game's start-up does.
  bool setUpSound();
  // The same set-up for a program that plays on without sound: the files are read from
  // `directory` (the one holding sound/; "" for the working directory), and a failure is
  // not printed but returned, in one line, with everything released. "" when sound is ready.
  std::string trySetUpSound(const std::string& directory);

  void play(SoundSlot slot, bool looping) override;
  void stop(SoundSlot slot) override;
  // releaseSound, then ALUT's exit.
  void release() override;

 private:
  void releaseSound();
  // Each returns what failed, or "" when all went well.
  std::string openDevice();
  std::string makeBuffersAndSources(const std::string& directory);
  std::string placeSourcesAndListener();
  void loadBuffers(const std::string& directory);
  void configureSources();
  void configureListener();

  // OpenAL names (ALuint); kept as plain integers so no AL header leaks out of sound/.
  std::array<unsigned int, SOUND_SLOTS> soundBuffers{};
  std::array<unsigned int, SOUND_SLOTS> soundSources{};
  // The loop flag of the last file loaded, which every source starts with.
  bool lastLoopFlag = false;
};

}  // namespace kestal
