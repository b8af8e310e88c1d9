#include "sound/openal_sound.h"

#include <AL/al.h>
#include <AL/alut.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

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

// "" when OpenAL reports no error; otherwise which step failed and how.
std::string alProblem(const char* step) {
  const ALenum error = alGetError();
  if (error == AL_NO_ERROR) return {};
  char code[12];
  std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(error));
  std::string problem = std::string(step) + " failed, OpenAL error " + code;
  // alGetString gives NULL for an error raised without a current context.
  if (const ALchar* text = alGetString(error); text != nullptr) problem += std::string(": ") + text;
  return problem;
}

void printFailed() {
  std::fputs("failed!\n", stdout);
  std::fflush(stdout);
}

// Loads one WAV file with ALUT's legacy loader into `buffer`; returns the file's loop flag.
ALboolean fillBuffer(ALuint buffer, const std::string& path) {
  ALenum format = DEFAULT_FORMAT;
  ALvoid* data = nullptr;
  ALsizei size = 0;
  ALsizei frequency = DEFAULT_FREQUENCY;
  ALboolean loop = AL_FALSE;
  // The legacy loader wants a mutable name.
  std::vector<ALbyte> fileName(path.begin(), path.end());
  fileName.push_back(0);

  alutGetError();  // so a failure below reports its own error, not an older one
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  alutLoadWAVFile(fileName.data(), &format, &data, &size, &frequency, &loop);
#pragma GCC diagnostic pop
  if (data == nullptr) {
    std::fprintf(stderr, "sound: cannot load %s (%s); that effect stays silent\n", path.c_str(),
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
  const std::string problem = trySetUpSound({});
  if (problem.empty()) return true;
  std::fprintf(stderr, "sound set-up: %s\n", problem.c_str());
  printFailed();
  return false;
}

std::string OpenAlSound::trySetUpSound(const std::string& directory) {
  // Before the sources exist there is nothing worth releasing; after, sources and buffers go.
  std::string problem = openDevice();
  if (problem.empty()) problem = makeBuffersAndSources(directory);
  if (!problem.empty()) {
    alutExit();
    return problem;
  }
  problem = placeSourcesAndListener();
  if (!problem.empty()) release();
  return problem;
}

std::string OpenAlSound::openDevice() {
  if (alutInit(nullptr, nullptr)) return {};
  return std::string("no audio device: ") + alutGetErrorString(alutGetError());
}

std::string OpenAlSound::makeBuffersAndSources(const std::string& directory) {
  for (unsigned int& buffer : soundBuffers) alGenBuffers(1, &buffer);
  if (std::string problem = alProblem("creating the buffers"); !problem.empty()) return problem;
  loadBuffers(directory);
  if (std::string problem = alProblem("loading the effects"); !problem.empty()) return problem;
  for (unsigned int& source : soundSources) alGenSources(1, &source);
  return alProblem("creating the sources");
}

std::string OpenAlSound::placeSourcesAndListener() {
  configureSources();
  if (std::string problem = alProblem("configuring the sources"); !problem.empty()) return problem;
  configureListener();
  return alProblem("configuring the listener");
}

void OpenAlSound::loadBuffers(const std::string& directory) {
  const std::string prefix = directory.empty() ? std::string() : directory + "/";
  for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
    lastLoopFlag = fillBuffer(soundBuffers[slot], prefix + SOUND_FILES[slot]) == AL_TRUE;
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
