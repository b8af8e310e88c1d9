// The verification as commands of kestal-hall.
#pragma once

#include <string>

namespace kestal::hall {

// `kestal-hall --verify FILE` ("-" for standard input): prints the verification's JSON and
// returns 0; a script it cannot read or a recording it refuses: one line on standard error,
// 2.
int runVerifyCommand(const std::string& path);

// `kestal-hall --verify-child`: the script on standard input, the verification's JSON on
// standard output (see child_verifier.h); always 0 unless it cannot write.
int runVerifyChild();

}  // namespace kestal::hall
