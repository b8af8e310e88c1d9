// kestal-silent: the game without sound, a console program with a default delay of 5000.
#include <memory>

#include "editions/program_display.h"
#include "game/game.h"

int main(int /*argc*/, char** argv) {
  kestal::ProgramDisplay display(argv[0]);
  kestal::setDisplayBackend(&display);
  auto state = std::make_unique<kestal::GameState>();
  kestal::NoSound sound;
  return display.run([&] { kestal::runGame(*state, kestal::SILENT_EDITION, sound); });
}
