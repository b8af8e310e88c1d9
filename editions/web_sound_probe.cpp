// What a page (the browser tests, an embedding page) may ask the sound edition: how many
// effects are playing in a loop right now (the laser while it fires, the warp during the
// warp). OpenAL's own functions cannot be exported from this Emscripten, so this asks them.
#include <AL/al.h>
#include <emscripten.h>

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
