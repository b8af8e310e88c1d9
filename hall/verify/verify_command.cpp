#include "hall/verify/verify_command.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "hall/verify/verification.h"
#include "replay/recording_limits.h"

namespace kestal::hall {
namespace {

// At most one byte over the limit is read: the key-script reader says what is wrong then. A
// piece at a time: a whole game is some 100 KB, and a buffer of the limit's 4 MiB, zeroed and
// faulted in, cost a verification more than its game did.
bool readLimited(std::istream& in, std::string& text) {
  constexpr std::size_t PIECE = 64 * 1024;
  text.clear();
  while (text.size() <= replay::RECORDING_MAX_BYTES && in) {
    const std::size_t at = text.size();
    text.resize(at + std::min(PIECE, replay::RECORDING_MAX_BYTES + 1 - at));
    in.read(text.data() + at, static_cast<std::streamsize>(text.size() - at));
    text.resize(at + static_cast<std::size_t>(in.gcount()));
  }
  return !in.bad();
}

int fail(int status, const std::string& message) {
  std::fprintf(stderr, "kestal-hall: %s\n", message.c_str());
  return status;
}

}  // namespace

int runVerifyCommand(const std::string& path) {
  std::string script;
  if (path == "-") {
    if (!readLimited(std::cin, script)) return fail(2, "cannot read standard input");
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file || !readLimited(file, script)) return fail(2, "cannot read '" + path + "'");
    // A file over the limit is judged by its size, not read whole.
    if (script.size() > replay::RECORDING_MAX_BYTES) {
      file.clear();
      file.seekg(0, std::ios::end);
      return fail(
          2, "'" + path + "' " + replay::sizeOverLimit(static_cast<std::uint64_t>(file.tellg())));
    }
  }
  const Verification verification = verifyRecording(script);
  if (verification.status != VerificationStatus::Verified) {
    return fail(verification.status == VerificationStatus::Failed ? 1 : 2, verification.error);
  }
  std::printf("%s\n", verificationJson(verification).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int runVerifyChild() {
  std::string script;
  Verification verification;
  try {
    if (readLimited(std::cin, script))
      verification = verifyRecording(script);
    else
      verification = verificationFromJson("");
  } catch (const std::exception&) {
    verification = verificationFromJson("");
  }
  std::printf("%s\n", verificationJson(verification).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace kestal::hall
