// Ending the program.
#pragma once

namespace kestal {

// Thrown by exitProgram; the back end's run() catches it on the game thread and ends the
// process with the code (or returns it, for tools and tests that host the game).
struct ProgramExit {
  int code;
};

// Closes the screen and ends the program with `code`. Does not return.
[[noreturn]] void exitProgram(int code);

}  // namespace kestal
