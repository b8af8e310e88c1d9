/* The browser build's ALUT: the part of freealut 1.1.0's interface the sound engine uses,
   with the same names, values and signatures, over Emscripten's OpenAL. Only the web build
   puts this folder on the include path; natively <AL/alut.h> is freealut's own. */
#ifndef KESTAL_WEB_ALUT_H
#define KESTAL_WEB_ALUT_H

#include <AL/al.h>
#include <AL/alc.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ALUT_API_MAJOR_VERSION 1
#define ALUT_API_MINOR_VERSION 1

#define ALUT_ERROR_NO_ERROR 0
#define ALUT_ERROR_OUT_OF_MEMORY 0x200
#define ALUT_ERROR_INVALID_ENUM 0x201
#define ALUT_ERROR_INVALID_VALUE 0x202
#define ALUT_ERROR_INVALID_OPERATION 0x203
#define ALUT_ERROR_NO_CURRENT_CONTEXT 0x204
#define ALUT_ERROR_AL_ERROR_ON_ENTRY 0x205
#define ALUT_ERROR_ALC_ERROR_ON_ENTRY 0x206
#define ALUT_ERROR_OPEN_DEVICE 0x207
#define ALUT_ERROR_CLOSE_DEVICE 0x208
#define ALUT_ERROR_CREATE_CONTEXT 0x209
#define ALUT_ERROR_MAKE_CONTEXT_CURRENT 0x20A
#define ALUT_ERROR_DESTROY_CONTEXT 0x20B
#define ALUT_ERROR_GEN_BUFFERS 0x20C
#define ALUT_ERROR_BUFFER_DATA 0x20D
#define ALUT_ERROR_IO_ERROR 0x20E
#define ALUT_ERROR_UNSUPPORTED_FILE_TYPE 0x20F
#define ALUT_ERROR_UNSUPPORTED_FILE_SUBTYPE 0x210
#define ALUT_ERROR_CORRUPT_OR_TRUNCATED_DATA 0x211

/* Opens the default device, creates a context and makes it current. */
ALboolean alutInit(int* argcp, char** argv);
/* Releases the context and closes the device that alutInit opened. */
ALboolean alutExit(void);

/* The first error since the last call, which clears it. */
ALenum alutGetError(void);
const char* alutGetErrorString(ALenum error);

/* Deprecated in freealut too; kept for programs written against the old interface. */
__attribute__((deprecated)) void alutLoadWAVFile(ALbyte* fileName, ALenum* format, void** data,
                                                 ALsizei* size, ALsizei* frequency,
                                                 ALboolean* loop);
__attribute__((deprecated)) void alutUnloadWAV(ALenum format, ALvoid* data, ALsizei size,
                                               ALsizei frequency);

#ifdef __cplusplus
}
#endif

#endif
