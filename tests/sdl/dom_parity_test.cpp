// The browser's key-downs give the codes the desktop window gives for the keys the game
// binds: the same key pressed through SDL's events and through the page's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/sdl_keys.h"
#include "platform/web/dom_keys.h"

namespace kestal {
namespace {

struct Press {
  SDL_Scancode scancode;
  SDL_Keycode symbol;  // what the US layout types on the key
  std::string code;    // KeyboardEvent.code
  std::string key;     // KeyboardEvent.key; SDL sends it as text when it is a character
  bool shift = false;
};

std::vector<int> throughSdl(const Press& press) {
  KeyTranslator translator;
  SDL_Event down{};
  down.type = SDL_KEYDOWN;
  down.key.keysym.scancode = press.scancode;
  down.key.keysym.sym = press.symbol;
  down.key.keysym.mod = press.shift ? KMOD_LSHIFT : KMOD_NONE;
  std::vector<SDL_Event> events{down};
  if (press.key.size() == 1) {
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    press.key.copy(text.text.text, sizeof text.text.text - 1);
    events.push_back(text);
  }
  std::vector<int> entries;
  for (const SDL_Event& event : events) {
    const KeyEvents some = translator.translate(event);
    entries.insert(entries.end(), some.entries.begin(), some.entries.begin() + some.count);
  }
  return entries;
}

std::vector<int> throughTheBrowser(const Press& press) {
  DomKeyDown keyDown;
  keyDown.code = press.code;
  keyDown.key = press.key;
  keyDown.shift = press.shift;
  const KeyEvents events = translateDomKeyDown(keyDown).events;
  return std::vector<int>(events.entries.begin(), events.entries.begin() + events.count);
}

TEST(DomParity, TheGamesKeysGiveTheDesktopsCodes) {
  const Press presses[] = {
      {SDL_SCANCODE_UP, SDLK_UP, "ArrowUp", "ArrowUp"},
      {SDL_SCANCODE_DOWN, SDLK_DOWN, "ArrowDown", "ArrowDown"},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, "ArrowLeft", "ArrowLeft"},
      {SDL_SCANCODE_RIGHT, SDLK_RIGHT, "ArrowRight", "ArrowRight"},
      {SDL_SCANCODE_SPACE, SDLK_SPACE, "Space", " "},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, "Enter", "Enter"},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, "Escape", "Escape"},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, "Backspace", "Backspace"},
      {SDL_SCANCODE_Q, SDLK_q, "KeyQ", "q"},
      {SDL_SCANCODE_L, SDLK_l, "KeyL", "l"},
      {SDL_SCANCODE_Y, SDLK_y, "KeyY", "Y", true},
      {SDL_SCANCODE_N, SDLK_n, "KeyN", "n"},
      {SDL_SCANCODE_EQUALS, SDLK_EQUALS, "Equal", "="},
      {SDL_SCANCODE_MINUS, SDLK_MINUS, "Minus", "-"},
      {SDL_SCANCODE_1, SDLK_1, "Digit1", "1"},
      {SDL_SCANCODE_0, SDLK_0, "Digit0", "0"},
  };
  for (const Press& press : presses) {
    const std::vector<int> desktop = throughSdl(press);
    EXPECT_EQ(desktop.size(), 1u) << press.code;
    EXPECT_EQ(throughTheBrowser(press), desktop) << press.code;
  }
}

}  // namespace
}  // namespace kestal
