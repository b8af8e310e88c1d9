// The file reading behind ALUT's legacy WAV loader, under a name of our own. The browser
// build has no ALUT and links a small one of ours around this; natively it can be run side
// by side with the real library, which the game must match sample for sample.
#pragma once

#include <AL/al.h>

namespace kestal {

// ALUT's own error codes, so that our ALUT hands them on as they are.
enum class SoundLoadError : ALenum {
  None = 0,
  OutOfMemory = 0x200,
  IoError = 0x20E,
  UnsupportedFileType = 0x20F,
  UnsupportedFileSubtype = 0x210,
  CorruptOrTruncatedData = 0x211,
};

// Loads a sound file the way freealut 1.1.0's alutLoadWAVFile does, oddities included:
// a RIFF WAVE file (PCM, or mu-law widened to 16 bits), a Sun/NeXT ".snd" file, or, for a
// name ending in ".raw", the bare bytes as 8-bit mono at 8000 Hz. `*data` always receives
// the outcome: a block from std::malloc (free it with std::free) or null. The other
// outputs may be null; they are written only on success, and the loop flag is always
// false. Sample data is handed over in the machine's byte order.
SoundLoadError loadLegacySoundFile(const char* fileName, ALenum* format, ALvoid** data,
                                   ALsizei* size, ALsizei* frequency, ALboolean* loop);

}  // namespace kestal
