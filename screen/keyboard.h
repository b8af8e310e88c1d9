// Key codes and the key queue. A key code is empty (no key), one code page 437 byte, or
// the two bytes 255 and a BIOS scan byte for keys without a character.
#pragma once

#include <string>

namespace kestal {

inline constexpr int KEY_QUEUE_SLOTS = 16;  // one stays free: 15 codes wait at most
// Queue entries: a character as 0..255, an extended key k as 256 * k + 255.
inline constexpr int extendedKey(int k) { return 256 * k + 255; }
inline constexpr int CLOSE_KEY = extendedKey('k');  // close button, Alt+F4

// Key code strings the game compares keyText with.
inline const std::string KEY_ENTER = "\r";
inline const std::string KEY_ESCAPE = "\x1b";
inline const std::string KEY_BACKSPACE = "\b";
inline const std::string KEY_UP = "\xffH";
inline const std::string KEY_DOWN = "\xffP";
inline const std::string KEY_LEFT = "\xffK";
inline const std::string KEY_RIGHT = "\xffM";
inline const std::string KEY_CLOSE = "\xffk";

// The oldest waiting code, or "" when none waits. Never waits. (Codes are at most two
// bytes, so the string never allocates.)
std::string readKey();

// Puts a queue entry in; on a full queue the oldest waiting code is dropped first. Takes
// the screen lock, so back ends call it from any thread.
void pushKey(int entry);
// Empties the queue (openScreen does this).
void clearKeyQueue();

}  // namespace kestal
