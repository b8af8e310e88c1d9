// kestal-silent: the game without sound, a console program with a default delay of 5000.
#include <memory>

#include "game/game.h"
#include "screen/sdl/sdl_display.h"

int main(int /*argc*/, char** argv) {
  kestal::SdlDisplay display(argv[0]);
  kestal::setDisplayBackend(&display);
  auto state = std::make_unique<kestal::GameState>();
  kestal::NoSound sound;
  return display.run([&] { kestal::runGame(*state, kestal::SILENT_EDITION, sound); });
}
