#include "hall/verify/verification.h"

#include <sstream>
#include <string>

#include "game/edition.h"
#include "hall/verify/recording_digest.h"
#include "hall/verify/recording_header.h"
#include "hall/verify/recording_run.h"
#include "replay/key_script.h"
#include "replay/quoted.h"

#ifndef KESTAL_GAME_VERSION
#error "the build names the game version"
#endif

namespace kestal::hall {
namespace {

Verification refusal(VerificationStatus status, std::string sentence) {
  Verification verification;
  verification.status = status;
  verification.error = std::move(sentence);
  return verification;
}

// The script's own words, as the replay tool says them, in a sentence.
std::string scriptProblem(const std::string& error) {
  if (error.starts_with("line ")) return "The recording cannot be read: " + error + ".";
  return "The recording " + error + ".";
}

bool better(const GameOutcome& a, const GameOutcome& b) {
  if (a.score != b.score) return a.score > b.score;
  if (a.victory != b.victory) return a.victory;
  return a.retraces < b.retraces;
}

}  // namespace

std::string_view gameVersion() {
  return KESTAL_GAME_VERSION;
}

namespace {

// The script read: its edition and key events, or why it cannot be entered.
struct ReadRecording {
  std::string edition;
  replay::KeyScript keys;
  std::optional<Verification> refusal;
};

ReadRecording readRecording(std::string_view script) {
  const RecordingHeader header = readRecordingHeader(script);
  ReadRecording read;
  read.edition = header.edition.value_or("sound");
  if (read.edition != "sound" && read.edition != "silent") {
    read.refusal = refusal(VerificationStatus::BadScript, "The recording's edition " +
                                                              replay::quoted(read.edition) +
                                                              " is neither 'sound' nor 'silent'.");
    return read;
  }
  if (header.version && *header.version != gameVersion()) {
    read.refusal =
        refusal(VerificationStatus::Refused,
                "This recording was made with version " + replay::quoted(*header.version) +
                    " of the game; the hall verifies games of version " +
                    std::string(gameVersion()) + " only.");
    return read;
  }
  std::istringstream in{std::string(script)};
  read.keys = replay::parseKeyScript(in);
  if (!read.keys.error.empty()) {
    read.refusal = refusal(VerificationStatus::BadScript, scriptProblem(read.keys.error));
  }
  return read;
}

}  // namespace

RecordingIdentity identifyRecording(std::string_view script) {
  ReadRecording read = readRecording(script);
  if (read.refusal) return {{}, {}, std::move(read.refusal)};
  return {read.edition, recordingDigest(read.edition, read.keys.events), std::nullopt};
}

Verification verifyRecording(std::string_view script) {
  const ReadRecording read = readRecording(script);
  if (read.refusal) return *read.refusal;
  const std::string& edition = read.edition;
  const replay::KeyScript& keys = read.keys;
  const RecordingRun run =
      playRecording(edition == "silent" ? SILENT_EDITION : SOUND_EDITION, keys.events);
  if (run.gameUnfinished && run.reachedRetraceLimit) {
    return refusal(VerificationStatus::Refused,
                   "The recording's last game has not ended within an hour of play (216000 "
                   "retraces), the longest the hall replays.");
  }
  if (run.gameUnfinished) {
    return refusal(VerificationStatus::Refused,
                   "The recording stops in the middle of a game: only a game played to its end "
                   "can enter the hall.");
  }
  if (run.games.empty()) {
    return refusal(VerificationStatus::Refused,
                   "The recording holds no game: it ends before the first game starts.");
  }
  Verification verification;
  verification.status = VerificationStatus::Verified;
  verification.edition = edition;
  verification.games = run.games;
  verification.best = run.games.front();
  for (const GameOutcome& game : run.games) {
    if (better(game, verification.best)) verification.best = game;
  }
  verification.recordingDigest = recordingDigest(edition, keys.events);
  return verification;
}

}  // namespace kestal::hall
