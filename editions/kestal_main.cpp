// kestal: the sound edition. Sound is set up before anything else; a failed set-up ends
// the program with status 1 (it has already said "failed!" and why).
#include <memory>

#include "editions/program_display.h"
#include "game/game.h"
#include "sound/openal_sound.h"

int main(int /*argc*/, char** argv) {
  auto sound = std::make_unique<kestal::OpenAlSound>();
  if (!sound->setUpSound()) return 1;
  kestal::ProgramDisplay display(argv[0]);
  kestal::setDisplayBackend(&display);
  auto state = std::make_unique<kestal::GameState>();
  const int code = display.run([&] { kestal::runGame(*state, kestal::SOUND_EDITION, *sound); });
  // The game releases the sound on every end it chooses; a screen that could not open
  // ends it before that.
  if (code != 0) sound->release();
  return code;
}
