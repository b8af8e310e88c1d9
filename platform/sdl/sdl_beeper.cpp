#include "platform/sdl/sdl_beeper.h"

namespace kestal {

namespace {
constexpr int TONE_HZ = 1000;
constexpr int TONE_MS = 250;
constexpr std::int16_t AMPLITUDE = 6000;  // a quarter of full scale: a beep, not a blast
}  // namespace

std::vector<std::int16_t> beepTone(int sampleRate) {
  std::vector<std::int16_t> tone(static_cast<std::size_t>(sampleRate) * TONE_MS / 1000);
  for (std::size_t i = 0; i < tone.size(); ++i) {
    // Counting half periods in integers keeps the pitch exact at any sample rate.
    const long long halfPeriods = static_cast<long long>(i) * 2 * TONE_HZ / sampleRate;
    tone[i] = halfPeriods % 2 == 0 ? AMPLITUDE : static_cast<std::int16_t>(-AMPLITUDE);
  }
  return tone;
}

SdlBeeper::~SdlBeeper() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlBeeper::openDevice() {
  tried_ = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  subsystemStarted_ = true;
  SDL_AudioSpec wanted{};
  wanted.freq = 44100;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = 1024;
  SDL_AudioSpec obtained{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) return false;
  tone_ = beepTone(obtained.freq);
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlBeeper::beep() {
  if (!tried_ && !openDevice()) return;
  if (device_ == 0) return;
  SDL_QueueAudio(device_, tone_.data(), static_cast<Uint32>(tone_.size() * sizeof(tone_[0])));
}

}  // namespace kestal
