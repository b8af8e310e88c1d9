#include <iterator>
#include <nlohmann/json.hpp>

#include "hall/verify/verification.h"

namespace kestal::hall {
namespace {

using nlohmann::json;

// By the enumeration's order; each status crosses from the child under its own name.
constexpr const char* STATUS_NAMES[] = {"verified", "bad-script", "refused", "failed",
                                        "unavailable"};
static_assert(std::size(STATUS_NAMES) == static_cast<int>(VerificationStatus::Unavailable) + 1);

void putGame(json& out, const GameOutcome& game) {
  out["score"] = game.score;
  out["level"] = game.level;
  out["victory"] = game.victory;
  out["minesKilled"] = game.minesKilled;
  out["retraces"] = game.retraces;
}

GameOutcome gameFromJson(const json& value) {
  GameOutcome game;
  game.score = value.at("score").get<std::int64_t>();
  game.level = value.at("level").get<int>();
  game.victory = value.at("victory").get<bool>();
  game.minesKilled = value.at("minesKilled").get<int>();
  game.retraces = value.at("retraces").get<std::uint64_t>();
  return game;
}

}  // namespace

std::string verificationJson(const Verification& verification) {
  json out;
  out["status"] = STATUS_NAMES[static_cast<int>(verification.status)];
  if (verification.status != VerificationStatus::Verified) {
    out["error"] = verification.error;
    return out.dump();
  }
  out["edition"] = verification.edition;
  out["version"] = gameVersion();
  // The best game's numbers at the top: what an entry is made of.
  putGame(out, verification.best);
  json games = json::array();
  for (const GameOutcome& game : verification.games) {
    json one = json::object();
    putGame(one, game);
    games.push_back(std::move(one));
  }
  out["games"] = std::move(games);
  out["recordingDigest"] = verification.recordingDigest;
  return out.dump();
}

// Anything malformed is a child that failed, not a verdict on the recording.
Verification verificationFromJson(std::string_view text) {
  Verification verification;
  verification.status = VerificationStatus::Failed;
  verification.error = "The hall could not check this recording; please try again later.";
  const json in = json::parse(text, nullptr, false);
  if (!in.is_object() || !in.contains("status") || !in["status"].is_string()) return verification;
  try {
    const std::string status = in["status"].get<std::string>();
    for (int i = 0; i < static_cast<int>(std::size(STATUS_NAMES)); ++i) {
      if (status != STATUS_NAMES[i]) continue;
      Verification read;
      read.status = static_cast<VerificationStatus>(i);
      if (read.status != VerificationStatus::Verified) {
        read.error = in.at("error").get<std::string>();
        return read;
      }
      read.edition = in.at("edition").get<std::string>();
      read.best = gameFromJson(in);
      for (const json& game : in.at("games")) read.games.push_back(gameFromJson(game));
      read.recordingDigest = in.at("recordingDigest").get<std::string>();
      return read;
    }
  } catch (const json::exception&) {
  }
  return verification;
}

}  // namespace kestal::hall
