#include "replay/key_script.h"

#include <array>
#include <cstdio>
#include <utility>

#include "replay/quoted.h"
#include "replay/recording_limits.h"
#include "replay/whole_number.h"
#include "screen/keyboard.h"

namespace kestal::replay {
namespace {

constexpr std::array<std::pair<std::string_view, int>, 10> KEY_NAMES{{
    {"Enter", 13},
    {"Escape", 27},
    {"Backspace", 8},
    {"Tab", 9},
    {"Space", 32},
    {"Up", extendedKey('H')},
    {"Down", extendedKey('P')},
    {"Left", extendedKey('K')},
    {"Right", extendedKey('M')},
    {"Close", CLOSE_KEY},
}};

constexpr std::string_view CODE_PREFIX = "code:";
constexpr int LARGEST_ENTRY = 65535;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A queue entry is a character 0..255 or an extended key 256 * k + 255.
bool isQueueEntry(std::uint64_t n) {
  return n <= 255 || (n <= LARGEST_ENTRY && n % 256 == 255);
}

KeyEntry parseCode(std::string_view name) {
  const WholeNumber n = parseWholeNumber(name.substr(CODE_PREFIX.size()));
  if (n.status == WholeNumberStatus::NotANumber) {
    return {0, "malformed key code " + quoted(name) + " (want code:N with N a whole number)"};
  }
  if (n.status == WholeNumberStatus::TooLarge || !isQueueEntry(n.value)) {
    return {0, "key code " + quoted(name) + " is not a queue entry (0..255 or 256*k+255 up to " +
                   std::to_string(LARGEST_ENTRY) + ")"};
  }
  return {static_cast<int>(n.value), {}};
}

std::string byteProblem(std::string_view line) {
  for (char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (c != '\t' && (byte < 32 || byte > 126)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02x", byte);
      return std::string("byte ") + hex + " is not printable text";
    }
  }
  return {};
}

// What the lines read so far have given. Past the event limit, events are still counted
// (so the refusal can say by how much) but no longer kept.
struct Reading {
  std::vector<KeyEvent>& events;
  std::size_t eventCount = 0;
  std::uint64_t lastRetrace = 0;
};

std::string retraceProblem(std::string_view field, const WholeNumber& retrace,
                           const Reading& reading) {
  if (retrace.status == WholeNumberStatus::NotANumber) {
    return "retrace " + quoted(field) + " is not a whole number";
  }
  if (retrace.status == WholeNumberStatus::TooLarge)
    return "retrace " + quoted(field) + " is too large";
  if (retrace.value > RECORDING_MAX_RETRACE) {
    return "retrace " + std::to_string(retrace.value) + " is " +
           std::to_string(retrace.value - RECORDING_MAX_RETRACE) + " after the last one a " +
           "recording may use (" + std::to_string(RECORDING_MAX_RETRACE) + ", an hour at 60 Hz)";
  }
  if (reading.eventCount > 0 && retrace.value < reading.lastRetrace) {
    return "retrace " + std::to_string(retrace.value) + " is smaller than " +
           std::to_string(reading.lastRetrace) + " on the line before";
  }
  return {};
}

// The problem with one line, or "" for a good line; a good event line adds its event.
std::string parseLine(std::string_view line, Reading& reading) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (std::string problem = byteProblem(line); !problem.empty()) return problem;
  line = trimBlanks(line);
  if (line.empty() || line.front() == '#') return {};

  std::size_t split = 0;
  while (split < line.size() && !isBlank(line[split])) ++split;
  const std::string_view retraceField = line.substr(0, split);
  const std::string_view keyField = trimBlanks(line.substr(split));
  bool twoFields = !keyField.empty();
  for (char c : keyField) twoFields = twoFields && !isBlank(c);
  if (!twoFields) return "expected '<retrace> <key>', got " + quoted(line);

  const WholeNumber retrace = parseWholeNumber(retraceField);
  if (std::string problem = retraceProblem(retraceField, retrace, reading); !problem.empty()) {
    return problem;
  }
  KeyEntry key = parseKeyName(keyField);
  if (!key.error.empty()) return key.error;
  if (reading.eventCount < RECORDING_MAX_EVENTS)
    reading.events.push_back({retrace.value, key.entry});
  ++reading.eventCount;
  reading.lastRetrace = retrace.value;
  return {};
}

// Counted on to the end, so the refusal can say by how much, but only so far.
std::string sizeProblem(std::istream& in) {
  constexpr std::uint64_t COUNTED_AT_MOST = std::uint64_t{1} << 30;
  std::uint64_t size = RECORDING_MAX_BYTES + 1;
  while (size < COUNTED_AT_MOST && in.ignore(1 << 16))
    size += static_cast<std::uint64_t>(in.gcount());
  if (size >= COUNTED_AT_MOST) return "is over 1 GiB, far more than the 4 MiB a recording may have";
  return sizeOverLimit(size + static_cast<std::uint64_t>(in.gcount()));
}

}  // namespace

KeyEntry parseKeyName(std::string_view name) {
  if (name.size() == 1 && name[0] >= 33 && name[0] <= 126) return {name[0], {}};
  for (const auto& [keyName, entry] : KEY_NAMES) {
    if (name == keyName) return {entry, {}};
  }
  if (name.starts_with(CODE_PREFIX)) return parseCode(name);
  return {0, "unknown key name " + quoted(name)};
}

std::string keyName(int entry) {
  if (entry >= 33 && entry <= 126) return std::string(1, static_cast<char>(entry));
  for (const auto& [name, named] : KEY_NAMES) {
    if (entry == named) return std::string(name);
  }
  return std::string(CODE_PREFIX) + std::to_string(entry);
}

KeyScript parseKeyScript(std::istream& in) {
  KeyScript script;
  Reading reading{script.events};
  std::string line;
  line.reserve(KEY_SCRIPT_MAX_LINE + 1);
  std::size_t lineNumber = 1;
  std::size_t bytes = 0;
  auto fail = [&](const std::string& problem) {
    script.events.clear();
    script.error = problem;
    return script;
  };
  auto failOnLine = [&](const std::string& problem) {
    return fail("line " + std::to_string(lineNumber) + ": " + problem);
  };
  char c;
  while (in.get(c)) {
    if (++bytes > RECORDING_MAX_BYTES) return fail(sizeProblem(in));
    if (c != '\n') {
      if (line.size() == KEY_SCRIPT_MAX_LINE) {
        return failOnLine("longer than " + std::to_string(KEY_SCRIPT_MAX_LINE) + " characters");
      }
      line.push_back(c);
      continue;
    }
    if (std::string problem = parseLine(line, reading); !problem.empty())
      return failOnLine(problem);
    line.clear();
    ++lineNumber;
  }
  if (in.bad()) return failOnLine("read error");
  if (std::string problem = parseLine(line, reading); !problem.empty()) return failOnLine(problem);
  if (reading.eventCount > RECORDING_MAX_EVENTS)
    return fail(eventCountOverLimit(reading.eventCount));
  return script;
}

}  // namespace kestal::replay
