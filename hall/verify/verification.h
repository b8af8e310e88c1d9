// Verification: a recording run through the game core, headless and silent, and each of its
// games read from the game's own state. Nothing the recording claims about itself is believed
// but its edition and version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestal::hall {

struct GameOutcome {
  std::int64_t score = 0;
  int level = 1;  // the level the game ended on, 1..11; the final victory counts as 11
  bool victory = false;
  int minesKilled = 0;         // in the level the game ended on, as the game keeps it
  std::uint64_t retraces = 0;  // from the game's start to its end
  friend bool operator==(const GameOutcome&, const GameOutcome&) = default;
};

enum class VerificationStatus {
  Verified,     // `best` holds the recording's best game
  BadScript,    // the script cannot be read (HTTP 400)
  Refused,      // readable, but no game to enter: none played, another version, unfinished (422)
  Failed,       // the server could not finish checking it (500)
  Unavailable,  // not checked: the server is stopping or had no worker free in time (503)
};

struct Verification {
  VerificationStatus status = VerificationStatus::BadScript;
  std::string error;               // a sentence a player can read, when not Verified
  std::string edition;             // "sound" or "silent"
  std::vector<GameOutcome> games;  // every game that ended, in order
  GameOutcome best;                // highest score; then the final victory; then fewer retraces
  std::string recordingDigest;     // SHA-256 (hex) of the edition and the key events
};

// The game version a recording must name in "# version:" (a missing one is taken as it).
std::string_view gameVersion();

// What a recording is without playing it: the edition and digest that make it the game it
// is, or the refusal (BadScript, Refused) that playing it would not change. Cheap: the
// script is read, not run.
struct RecordingIdentity {
  std::string edition;
  std::string recordingDigest;
  std::optional<Verification> refusal;
};
RecordingIdentity identifyRecording(std::string_view script);

// Runs the game on the script. The game core is one per process: call from one thread at a
// time (the server runs each in a child process of its own).
Verification verifyRecording(std::string_view script);

// The verification as one line of JSON, and read back ({"status": ..} included): how a child
// process hands its result to the server, and what `kestal-hall --verify` prints.
std::string verificationJson(const Verification& verification);
Verification verificationFromJson(std::string_view json);

}  // namespace kestal::hall
