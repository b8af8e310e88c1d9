// The PC keyboard as the game's key table sees it: physical keys by their place on a US
// keyboard, whatever the layout prints on them, and the modifier state of a key-down. Each
// display back end maps its own key events to these.
#pragma once

namespace kestal {

enum class PcKey : unsigned char {
  Other,  // modifiers, locks, Pause and anything else the table gives no code of its own
  // clang-format off
  A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
  Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9, Digit0,
  Minus, Equals, LeftBracket, RightBracket, Backslash, Semicolon, Apostrophe, Grave, Comma,
  Period, Slash,
  Escape, Backspace, Tab, Enter, Space,
  Up, Down, Left, Right, Home, End, PageUp, PageDown, Insert, Delete,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Keypad1, Keypad2, Keypad3, Keypad4, Keypad5, Keypad6, Keypad7, Keypad8, Keypad9, Keypad0,
  KeypadPoint, KeypadDivide, KeypadMultiply, KeypadMinus, KeypadPlus, KeypadEnter,
  // clang-format on
};

// The key `offset` places after `first` in the order above (letters, digits, function
// keys and keypad digits each run in order).
constexpr PcKey pcKeyAfter(PcKey first, int offset) {
  return static_cast<PcKey>(static_cast<int>(first) + offset);
}

constexpr bool pcKeyWithin(PcKey key, PcKey first, PcKey last) {
  return key >= first && key <= last;
}

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  // The Alt held is the right one alone: on many layouts that key is AltGr.
  bool rightAltOnly = false;
  bool numLock = false;
};

}  // namespace kestal
