// The browser build's ALUT: initialisation, exit, errors and the legacy WAV calls, behaving
// as freealut 1.1.0 does, so the sound engine runs unchanged over Emscripten's OpenAL.
#include <AL/alut.h>

#include <cstdio>
#include <cstdlib>

#include "sound/legacy_sound_loader.h"

namespace {

bool initialised = false;
ALCcontext* alutContext = nullptr;
ALenum lastError = ALUT_ERROR_NO_ERROR;

// The first error stays until alutGetError collects it. ALUT_DEBUG in the environment
// reports each one as it happens, as in freealut.
void setError(ALenum error) {
  if (std::getenv("ALUT_DEBUG") != nullptr) {
    std::fprintf(stderr, "ALUT error: %s\n", alutGetErrorString(error));
  }
  if (lastError == ALUT_ERROR_NO_ERROR) lastError = error;
}

bool fail(ALenum error) {
  setError(error);
  return false;
}

// What freealut checks before tearing down: its own context still current, and no AL or
// ALC error pending.
bool readyToExit() {
  ALCcontext* context = alcGetCurrentContext();
  if (context == nullptr) return fail(ALUT_ERROR_NO_CURRENT_CONTEXT);
  if (alGetError() != AL_NO_ERROR) return fail(ALUT_ERROR_AL_ERROR_ON_ENTRY);
  if (alcGetError(alcGetContextsDevice(context)) != ALC_NO_ERROR) {
    return fail(ALUT_ERROR_ALC_ERROR_ON_ENTRY);
  }
  return true;
}

}  // namespace

extern "C" {

ALboolean alutInit(int* argcp, char** argv) {
  if (initialised) return fail(ALUT_ERROR_INVALID_OPERATION);
  if ((argcp == nullptr) != (argv == nullptr)) return fail(ALUT_ERROR_INVALID_VALUE);
  // Null when the browser offers no Web Audio.
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return fail(ALUT_ERROR_OPEN_DEVICE);
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr) {
    alcCloseDevice(device);
    return fail(ALUT_ERROR_CREATE_CONTEXT);
  }
  if (!alcMakeContextCurrent(context)) {
    alcDestroyContext(context);
    alcCloseDevice(device);
    return fail(ALUT_ERROR_MAKE_CONTEXT_CURRENT);
  }
  initialised = true;
  alutContext = context;
  return AL_TRUE;
}

ALboolean alutExit(void) {
  if (!initialised) return fail(ALUT_ERROR_INVALID_OPERATION);
  if (!readyToExit()) return AL_FALSE;
  // Emscripten's alcMakeContextCurrent(NULL) does its work but answers ALC_FALSE, so the
  // outcome is judged by what is current afterwards.
  alcMakeContextCurrent(nullptr);
  if (alcGetCurrentContext() != nullptr) return fail(ALUT_ERROR_MAKE_CONTEXT_CURRENT);
  ALCdevice* device = alcGetContextsDevice(alutContext);
  alcDestroyContext(alutContext);
  if (alcGetError(device) != ALC_NO_ERROR) return fail(ALUT_ERROR_DESTROY_CONTEXT);
  if (!alcCloseDevice(device)) return fail(ALUT_ERROR_CLOSE_DEVICE);
  initialised = false;
  alutContext = nullptr;
  return AL_TRUE;
}

ALenum alutGetError(void) {
  const ALenum error = lastError;
  lastError = ALUT_ERROR_NO_ERROR;
  return error;
}

const char* alutGetErrorString(ALenum error) {
  switch (error) {
    case ALUT_ERROR_NO_ERROR:
      return "No ALUT error found";
    case ALUT_ERROR_OUT_OF_MEMORY:
      return "ALUT ran out of memory";
    case ALUT_ERROR_INVALID_ENUM:
      return "ALUT was given an invalid enumeration token";
    case ALUT_ERROR_INVALID_VALUE:
      return "ALUT was given an invalid value";
    case ALUT_ERROR_INVALID_OPERATION:
      return "The operation was invalid in the current ALUT state";
    case ALUT_ERROR_NO_CURRENT_CONTEXT:
      return "There is no current AL context";
    case ALUT_ERROR_AL_ERROR_ON_ENTRY:
      return "There was already an AL error on entry to an ALUT function";
    case ALUT_ERROR_ALC_ERROR_ON_ENTRY:
      return "There was already an ALC error on entry to an ALUT function";
    case ALUT_ERROR_OPEN_DEVICE:
      return "There was an error opening the ALC device";
    case ALUT_ERROR_CLOSE_DEVICE:
      return "There was an error closing the ALC device";
    case ALUT_ERROR_CREATE_CONTEXT:
      return "There was an error creating an ALC context";
    case ALUT_ERROR_MAKE_CONTEXT_CURRENT:
      return "Could not change the current ALC context";
    case ALUT_ERROR_DESTROY_CONTEXT:
      return "There was an error destroying the ALC context";
    case ALUT_ERROR_GEN_BUFFERS:
      return "There was an error generating an AL buffer";
    case ALUT_ERROR_BUFFER_DATA:
      return "There was an error passing buffer data to AL";
    case ALUT_ERROR_IO_ERROR:
      return "I/O error";
    case ALUT_ERROR_UNSUPPORTED_FILE_TYPE:
      return "Unsupported file type";
    case ALUT_ERROR_UNSUPPORTED_FILE_SUBTYPE:
      return "Unsupported mode within an otherwise usable file type";
    case ALUT_ERROR_CORRUPT_OR_TRUNCATED_DATA:
      return "The sound data was corrupt or truncated";
    default:
      return "An impossible ALUT error condition was reported?!?";
  }
}

// Like freealut's, the legacy calls work without alutInit.
void alutLoadWAVFile(ALbyte* fileName, ALenum* format, void** data, ALsizei* size,
                     ALsizei* frequency, ALboolean* loop) {
  const kestal::SoundLoadError error = kestal::loadLegacySoundFile(
      reinterpret_cast<const char*>(fileName), format, data, size, frequency, loop);
  if (error != kestal::SoundLoadError::None) setError(static_cast<ALenum>(error));
}

void alutUnloadWAV(ALenum, ALvoid* data, ALsizei, ALsizei) {
  std::free(data);
}

}  // extern "C"
