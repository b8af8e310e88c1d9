// What the page may ask of the sound edition's OpenAL, whose own functions cannot be exported
// from this Emscripten: silence while the page is hidden, and (for tests and embedding pages)
// how many effects play in a loop right now (the laser while it fires, the warp during the
// warp).
#include <AL/al.h>
#include <AL/alc.h>
#include <emscripten.h>

// Emscripten's OpenAL has the ALC_SOFT_pause_device extension under these names.
extern "C" void emscripten_alcDevicePauseSOFT(ALCdevice* device);
extern "C" void emscripten_alcDeviceResumeSOFT(ALCdevice* device);

namespace {
// Far more names than the five sources the engine makes.
constexpr ALuint HIGHEST_SOURCE_NAME = 64;
}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE int kestal_web_looping_sources() {
  int count = 0;
  for (ALuint source = 1; source <= HIGHEST_SOURCE_NAME; ++source) {
    if (alIsSource(source) == AL_FALSE) continue;
    ALint state = 0;
    ALint looping = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    alGetSourcei(source, AL_LOOPING, &looping);
    if (state == AL_PLAYING && looping == AL_TRUE) ++count;
  }
  return count;
}

// Suspends (1) or resumes (0) everything the program plays; nothing before the sound is set
// up or after it is released.
extern "C" EMSCRIPTEN_KEEPALIVE void kestal_web_pause_audio(int paused) {
  ALCcontext* context = alcGetCurrentContext();
  if (context == nullptr) return;
  ALCdevice* device = alcGetContextsDevice(context);
  if (paused != 0) {
    emscripten_alcDevicePauseSOFT(device);
  } else {
    emscripten_alcDeviceResumeSOFT(device);
  }
}
