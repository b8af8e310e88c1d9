#include "sound/openal_sound.h"

#include <AL/al.h>
#include <AL/alut.h>

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <type_traits>

namespace kestal {
namespace {

static_assert(std::is_same_v<ALuint, unsigned int>, "OpenAL names are kept as unsigned int");

constexpr ALfloat sourcePosition[3] = {0.0f, 0.0f, 0.0f};
constexpr ALfloat sourceVelocity[3] = {0.0f, 0.0f, 0.0f};
constexpr ALfloat listenerPosition[3] = {0.0f, 0.0f, 0.0f};
constexpr ALfloat listenerVelocity[3] = {0.0f, 0.0f, 0.0f};
// At (0, 0, -1), up (0, 1, 0). OpenAL requires the two to be independent, so the
// up-vector (0, 0, 1) -- parallel to the at-vector -- is not an option; with every source
// at the listener any valid up-vector gives the same mix.
constexpr ALfloat listenerOrientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};

// The loader's defaults. A failed load leaves the caller's values untouched (and the data
// NULL), so they are set before every load: the effect is then silent, not an error.
constexpr ALenum DEFAULT_FORMAT = AL_FORMAT_MONO16;
constexpr ALsizei DEFAULT_FREQUENCY = 22050;

// Room for the longest sound path and its terminator; the legacy loader wants a mutable name.
constexpr std::size_t FILE_NAME_CAPACITY = 32;
constexpr bool fileNamesFit() {
  for (const char* path : SOUND_FILES) {
    if (std::string_view(path).size() >= FILE_NAME_CAPACITY) return false;
  }
  return true;
}
static_assert(fileNamesFit());

// True when OpenAL reports no error; otherwise says on stderr which step failed.
bool noAlError(const char* step) {
  const ALenum error = alGetError();
  if (error == AL_NO_ERROR) return true;
  // alGetString gives NULL for an error raised without a current context.
  const ALchar* text = alGetString(error);
  std::fprintf(stderr, "sound set-up: %s failed, OpenAL error 0x%04X%s%s\n", step,
               static_cast<unsigned>(error), text != nullptr ? ": " : "",
               text != nullptr ? text : "");
  return false;
}

void printFailed() {
  std::fputs("failed!\n", stdout);
  std::fflush(stdout);
}

// Loads one WAV file with ALUT's legacy loader into `buffer`; returns the file's loop flag.
ALboolean fillBuffer(ALuint buffer, const char* path) {
  ALenum format = DEFAULT_FORMAT;
  ALvoid* data = nullptr;
  ALsizei size = 0;
  ALsizei frequency = DEFAULT_FREQUENCY;
  ALboolean loop = AL_FALSE;
  ALbyte fileName[FILE_NAME_CAPACITY] = {};
  for (std::size_t i = 0; path[i] != '\0'; ++i) fileName[i] = static_cast<ALbyte>(path[i]);

  alutGetError();  // so a failure below reports its own error, not an older one
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  alutLoadWAVFile(fileName, &format, &data, &size, &frequency, &loop);
#pragma GCC diagnostic pop
  if (data == nullptr) {
    std::fprintf(stderr, "sound: cannot load %s (%s); that effect stays silent\n", path,
                 alutGetErrorString(alutGetError()));
  }
  alBufferData(buffer, format, data, size, frequency);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  alutUnloadWAV(format, data, size, frequency);
#pragma GCC diagnostic pop
  return loop;
}

}  // namespace

bool OpenAlSound::setUpSound() {
  // Before the sources exist there is nothing worth releasing; after, sources and buffers go.
  if (!openDevice() || !makeBuffersAndSources()) {
    printFailed();
    alutExit();
    return false;
  }
  if (!placeSourcesAndListener()) {
    printFailed();
    release();
    return false;
  }
  return true;
}

bool OpenAlSound::openDevice() {
  if (alutInit(nullptr, nullptr)) return true;
  std::fprintf(stderr, "sound set-up: no audio device: %s\n", alutGetErrorString(alutGetError()));
  return false;
}

bool OpenAlSound::makeBuffersAndSources() {
  for (unsigned int& buffer : soundBuffers) alGenBuffers(1, &buffer);
  if (!noAlError("creating the buffers")) return false;
  loadBuffers();
  if (!noAlError("loading the effects")) return false;
  for (unsigned int& source : soundSources) alGenSources(1, &source);
  return noAlError("creating the sources");
}

bool OpenAlSound::placeSourcesAndListener() {
  configureSources();
  if (!noAlError("configuring the sources")) return false;
  configureListener();
  return noAlError("configuring the listener");
}

void OpenAlSound::loadBuffers() {
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
    lastLoopFlag = fillBuffer(soundBuffers[slot], SOUND_FILES[slot]) == AL_TRUE;
  }
}

void OpenAlSound::configureSources() {
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
    const ALuint source = soundSources[slot];
    alSourcei(source, AL_BUFFER, static_cast<ALint>(soundBuffers[slot]));
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcefv(source, AL_POSITION, sourcePosition);
    alSourcefv(source, AL_VELOCITY, sourceVelocity);
    alSourcei(source, AL_LOOPING, lastLoopFlag ? AL_TRUE : AL_FALSE);
  }
}

void OpenAlSound::configureListener() {
  alListenerfv(AL_POSITION, listenerPosition);
  alListenerfv(AL_VELOCITY, listenerVelocity);
  alListenerfv(AL_ORIENTATION, listenerOrientation);
}

void OpenAlSound::play(SoundSlot slot, bool looping) {
  const auto index = static_cast<int>(slot);
  if (index < 0 || index >= SOUND_SLOTS) return;
  alSourcei(soundSources[index], AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  alSourcePlay(soundSources[index]);
}

void OpenAlSound::stop(SoundSlot slot) {
  const auto index = static_cast<int>(slot);
  if (index < 0 || index >= SOUND_SLOTS) return;
  alSourceStop(soundSources[index]);
}

void OpenAlSound::releaseSound() {
  // Each source goes before its buffer: a buffer still held by a source cannot be deleted.
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
    alDeleteSources(1, &soundSources[slot]);
    alDeleteBuffers(1, &soundBuffers[slot]);
  }
}

void OpenAlSound::release() {
  releaseSound();
  alutExit();
}

}  // namespace kestal
