#include "tools/replay/replay_options.h"

#include <algorithm>
#include <string_view>

#include "replay/quoted.h"
#include "replay/whole_number.h"

namespace kestal::replay {
namespace {

std::string parseCount(std::string_view option, std::string_view text, std::uint64_t& value) {
  const WholeNumber n = parseWholeNumber(text);
  if (n.status == WholeNumberStatus::NotANumber) {
    return std::string(option) + " value " + quoted(text) + " is not a whole number";
  }
  if (n.status == WholeNumberStatus::TooLarge) {
    return std::string(option) + " value " + quoted(text) + " is too large";
  }
  value = n.value;
  return {};
}

std::string parseRetraceList(std::string_view text, std::vector<std::uint64_t>& list) {
  for (std::string_view rest = text;;) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    const WholeNumber n = parseWholeNumber(item);
    if (n.status == WholeNumberStatus::NotANumber) {
      return "--png-at value " + quoted(text) + " is not a comma-separated list of retraces";
    }
    if (n.status == WholeNumberStatus::TooLarge) {
      return "--png-at retrace " + quoted(item) + " is too large";
    }
    list.push_back(n.value);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return {};
}

std::string parseEdition(std::string_view text, EditionChoice& edition) {
  if (text == "sound") {
    edition = EditionChoice::Sound;
  } else if (text == "silent") {
    edition = EditionChoice::Silent;
  } else {
    return "--edition value " + quoted(text) + " is neither 'sound' nor 'silent'";
  }
  return {};
}

// Applies one option and its value; returns the problem, or "" when it was good.
std::string applyOption(std::string_view option, std::string_view value, ReplayOptions& options) {
  if (option == "--edition") return parseEdition(value, options.edition);
  if (option == "--frames") return parseCount(option, value, options.frames);
  if (option == "--png-at") return parseRetraceList(value, options.pngAt);
  if (option == "--from") return parseCount(option, value, options.videoFrom);
  if (option == "--to") return parseCount(option, value, options.videoTo);
  if (option == "--keys") {
    options.keysPath = value;
  } else if (option == "--trace") {
    options.tracePath = value;
  } else if (option == "--state") {
    options.statePath = value;
  } else if (option == "--out") {
    options.outDir = value;
  } else if (option == "--video") {
    options.videoPath = value;
  }
  return {};
}

constexpr std::string_view KNOWN_OPTIONS[] = {
    "--edition", "--keys",   "--frames", "--trace", "--state", "--png-at",
    "--out",     "--window", "--video",  "--from",  "--to",    "--help"};

// The Node.js build has no window to show the game in, nor FFmpeg to make a video with.
std::string desktopOnly([[maybe_unused]] std::string_view option) {
#if defined(__EMSCRIPTEN__)
  return std::string(option) + " needs the desktop build";
#else
  return {};
#endif
}

// The checks that need the whole command line; "" when it holds together.
std::string checkCombinations(const ReplayOptions& options, const std::vector<std::string_view>& seen) {
  const auto given = [&](std::string_view option) {
    return std::find(seen.begin(), seen.end(), option) != seen.end();
  };
  if (!options.pngAt.empty() && options.outDir.empty()) return "--png-at needs --out DIR";
  for (std::string_view option : {"--from", "--to"}) {
    if (given(option) && options.videoPath.empty()) {
      return std::string(option) + " needs --video FILE";
    }
  }
  if (options.videoPath.empty()) return {};
  if (std::string problem = desktopOnly("--video"); !problem.empty()) return problem;
  if (options.window) return "--video and --window cannot be given together";
  if (options.videoFrom == 0) return "--from 0 is no retrace of a video: retraces are counted from 1";
  if (options.videoFrom > options.videoTo) {
    return "--from " + std::to_string(options.videoFrom) + " comes after --to " +
           std::to_string(options.videoTo) + ": the video would have no frame";
  }
  return {};
}

}  // namespace

ParsedOptions parseReplayOptions(std::span<const char* const> args) {
  ParsedOptions parsed;
  std::vector<std::string_view> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view option = args[i];
    if (std::find(std::begin(KNOWN_OPTIONS), std::end(KNOWN_OPTIONS), option) ==
        std::end(KNOWN_OPTIONS)) {
      parsed.error = "unknown option " + quoted(option);
      return parsed;
    }
    if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
      parsed.error = "option " + std::string(option) + " given twice";
      return parsed;
    }
    seen.push_back(option);
    if (option == "--window" || option == "--help") {
      parsed.error = option == "--window" ? desktopOnly(option) : std::string();
      if (!parsed.error.empty()) return parsed;
      (option == "--window" ? parsed.options.window : parsed.options.help) = true;
      continue;
    }
    // A value that looks like an option means the real value was left out.
    if (i + 1 == args.size() || std::string_view(args[i + 1]).empty() ||
        std::string_view(args[i + 1]).starts_with("--")) {
      parsed.error = "option " + std::string(option) + " needs a value";
      return parsed;
    }
    parsed.error = applyOption(option, args[++i], parsed.options);
    if (!parsed.error.empty()) return parsed;
  }
  if (!parsed.options.help) parsed.error = checkCombinations(parsed.options, seen);
  return parsed;
}

const char* const USAGE =
    "Usage: kestal-replay [--edition sound|silent] [--keys FILE] [--frames N]\n"
    "                     [--trace FILE] [--state FILE] [--png-at LIST --out DIR] [--window]\n"
    "                     [--video OUT.mp4|OUT.webm [--from RETRACE] [--to RETRACE]]\n"
    "Runs the game on a key script, headless (or in a window), and records what it shows.\n"
    "  --edition sound|silent  whose settings to run (default sound)\n"
    "  --keys FILE             the key script; - reads standard input\n"
    "  --frames N              stop once retrace N is recorded (default 100000)\n"
    "  --trace FILE            per retrace: retrace, page hash, palette hash\n"
    "  --state FILE            per retrace: the game's chief state as JSON\n"
    "  --png-at LIST --out DIR pictures of the listed retraces, DIR/frame-NNNNNN.png\n"
    "  --window                watch the run in a window (desktop build only)\n"
    "  --video FILE            film the run: 1280x960, 60 frames a second, one per retrace;\n"
    "                          .mp4 is H.264 with AAC sound, .webm VP9 with Opus; the silent\n"
    "                          edition's video has no sound (desktop build only)\n"
    "  --from R, --to R        the first and last retrace filmed (default 1 and the run's end)\n"
    "  --help                  this text\n";

bool needsPictures(const ReplayOptions& options) {
  return !options.tracePath.empty() || !options.pngAt.empty() || options.window ||
         !options.videoPath.empty() || options.statePath.empty();
}

}  // namespace kestal::replay
