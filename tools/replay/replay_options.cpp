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
  if (option == "--keys") {
    options.keysPath = value;
  } else if (option == "--trace") {
    options.tracePath = value;
  } else if (option == "--state") {
    options.statePath = value;
  } else if (option == "--out") {
    options.outDir = value;
  }
  return {};
}

constexpr std::string_view KNOWN_OPTIONS[] = {"--edition", "--keys",   "--frames", "--trace",
                                              "--state",   "--png-at", "--out",    "--window"};

// The one option without a value. The Node.js build has no window to show the game in.
std::string applyWindowOption(ReplayOptions& options) {
#if defined(__EMSCRIPTEN__)
  (void)options;
  return "--window needs the desktop build";
#else
  options.window = true;
  return {};
#endif
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
    if (option == "--window") {
      parsed.error = applyWindowOption(parsed.options);
      if (!parsed.error.empty()) return parsed;
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
  if (!parsed.options.pngAt.empty() && parsed.options.outDir.empty()) {
    parsed.error = "--png-at needs --out DIR";
  }
  return parsed;
}

}  // namespace kestal::replay
