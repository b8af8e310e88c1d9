// The bell: 1000 Hz for 250 ms through the first audio device that opens. A machine without
// sound simply stays silent.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace kestal {

class SdlBeeper {
 public:
  SdlBeeper() = default;
  ~SdlBeeper();
  SdlBeeper(const SdlBeeper&) = delete;
  SdlBeeper& operator=(const SdlBeeper&) = delete;

  // Queues one beep. The device is opened on first use, so a program that never beeps never
  // touches the audio system (whose failure messages would otherwise reach stderr).
  void beep();

 private:
  bool openDevice();

  bool tried_ = false;
  bool subsystemStarted_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::vector<std::int16_t> tone_;
};

// One beep of a square wave at `sampleRate`: 1000 Hz, 250 ms, mono.
std::vector<std::int16_t> beepTone(int sampleRate);

}  // namespace kestal
