// The sanitizer build fails a run on every kind of finding: undefined behaviour does not
// merely print and go on, and address errors and leaks end the program with an error.
#include <gtest/gtest.h>

#include "tests/robustness/child_program.h"

namespace kestal::robustness {
namespace {

TEST(SanitizerBuild, EveryKindOfFindingEndsTheRunWithAFailure) {
  const std::pair<const char*, const char*> faults[] = {
      {"signed-overflow", "runtime error"},
      {"float-to-int", "runtime error"},
      {"heap-overflow", "heap-buffer-overflow"},
      {"use-after-free", "heap-use-after-free"},
      {"leak", "LeakSanitizer"},
  };
  for (const auto& [fault, report] : faults) {
    ProgramCall call;
    call.arguments = {KESTAL_CANARY_BINARY, fault};
    call.timeout = std::chrono::seconds(60);
    const ProgramResult result = runProgram(call);
    EXPECT_FALSE(result.exited && result.status == 0) << fault << " went unseen";
    EXPECT_EQ(result.out.find("went unseen"), std::string::npos) << fault;
    EXPECT_NE(result.err.find(report), std::string::npos) << fault << ": " << result.err;
  }
}

}  // namespace
}  // namespace kestal::robustness
