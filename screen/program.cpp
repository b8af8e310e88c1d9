#include "screen/program.h"

#include "screen/display_backend.h"

namespace kestal {

void exitProgram(int code) {
  displayBackend().close();
  // Unwinds the game thread to the back end's run(), which ends the process.
  throw ProgramExit{code};
}

}  // namespace kestal
