#include "hall/verify/verify_command.h"

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

// At most one byte over the limit is read: the key-script reader says what is wrong then.
bool readLimited(std::istream& in, std::string& text) {
  text.resize(replay::RECORDING_MAX_BYTES + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
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
