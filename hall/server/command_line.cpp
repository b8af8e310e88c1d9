#include "hall/server/command_line.h"

#include <algorithm>
#include <iterator>

#include "hall/server/whole_number.h"

namespace kestal::hall {
namespace {

using Parsed = std::variant<HallCommand, CommandLineError>;

// "HOST:PORT", "[V6]:PORT".
bool readListen(const std::string& text, HallServerOptions& server) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  }
  const auto port = wholeNumberWithin(text.substr(colon + 1), 0, 65535);
  if (!port) return false;
  server.host = host;
  server.port = static_cast<int>(*port);
  return true;
}

// "scheme://host[:port]" as a browser sends it in Origin: no path, no trailing slash.
bool isOrigin(const std::string& text) {
  for (const std::string scheme : {"http://", "https://"}) {
    if (text.starts_with(scheme) && text.size() > scheme.size() &&
        text.find('/', scheme.size()) == std::string::npos) {
      return true;
    }
  }
  return false;
}

class Reader {
 public:
  explicit Reader(const std::vector<std::string>& args) : args_(args) {}

  Parsed read();

 private:
  std::optional<CommandLineError> option(const std::string& name);
  std::optional<CommandLineError> setAction(HallAction action);
  const std::string* value(const std::string& name);

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  HallCommand command_;
  bool actionGiven_ = false;
  std::string missing_;
};

const std::string* Reader::value(const std::string& name) {
  if (next_ >= args_.size()) {
    missing_ = name + " needs a value";
    return nullptr;
  }
  return &args_[next_++];
}

std::optional<CommandLineError> Reader::setAction(HallAction action) {
  if (actionGiven_) return CommandLineError{"give only one of --verify, hide and unhide"};
  actionGiven_ = true;
  command_.action = action;
  return std::nullopt;
}

std::optional<CommandLineError> Reader::option(const std::string& name) {
  if (name == "--help" || name == "-h") {
    command_.action = HallAction::Help;
    actionGiven_ = true;
    return std::nullopt;
  }
  if (name == "--verify-child") return setAction(HallAction::VerifyChild);
  static const std::string kTakingValues[] = {"--listen", "--database",     "--workers", "--queue",
                                              "--rate",   "--allow-origin", "--verify"};
  if (std::ranges::find(kTakingValues, name) == std::end(kTakingValues)) {
    return CommandLineError{"unknown option " + name};
  }
  const std::string* text = value(name);
  if (!text) return CommandLineError{missing_};
  if (name == "--listen") {
    if (!readListen(*text, command_.server)) return CommandLineError{"--listen takes HOST:PORT"};
  } else if (name == "--database") {
    command_.database = *text;
  } else if (name == "--workers") {
    const auto n = wholeNumberWithin(*text, 1, 256);
    if (!n) return CommandLineError{"--workers takes a whole number from 1 to 256"};
    command_.workers = static_cast<std::size_t>(*n);
  } else if (name == "--queue") {
    const auto n = wholeNumberWithin(*text, 0, 10000);
    if (!n) return CommandLineError{"--queue takes a whole number from 0 to 10000"};
    command_.queueLimit = static_cast<std::size_t>(*n);
  } else if (name == "--rate") {
    const auto n = wholeNumberWithin(*text, 1, 1000000);
    if (!n)
      return CommandLineError{"--rate takes a whole number of submissions a minute, 1 or more"};
    command_.server.ratePerMinute = static_cast<int>(*n);
  } else if (name == "--allow-origin") {
    if (!isOrigin(*text))
      return CommandLineError{"--allow-origin takes an origin such as https://example.org"};
    command_.server.allowOrigin = *text;
  } else {
    command_.verifyPath = *text;
    return setAction(HallAction::Verify);
  }
  return std::nullopt;
}

Parsed Reader::read() {
  while (next_ < args_.size()) {
    const std::string& word = args_[next_++];
    if (word == "hide" || word == "unhide") {
      if (auto error = setAction(word == "hide" ? HallAction::Hide : HallAction::Unhide)) {
        return *error;
      }
      const auto id =
          next_ < args_.size() ? wholeNumberWithin(args_[next_++], 1, INT64_MAX) : std::nullopt;
      if (!id) return CommandLineError{word + " takes an entry's number"};
      command_.entryId = *id;
    } else if (word.starts_with("-")) {
      if (auto error = option(word)) return *error;
    } else {
      return CommandLineError{"unexpected argument " + word};
    }
  }
  return command_;
}

}  // namespace

std::variant<HallCommand, CommandLineError> parseCommandLine(const std::vector<std::string>& args) {
  return Reader(args).read();
}

const char* hallUsage() {
  return "usage: kestal-hall [--listen HOST:PORT] [--database URL] [--workers N] [--queue N]\n"
         "                   [--rate N] [--allow-origin ORIGIN]\n"
         "       kestal-hall --verify FILE\n"
         "       kestal-hall [--database URL] hide ID | unhide ID\n"
         "\n"
         "The hall of fame server: every entry's score comes from replaying its recording.\n"
         "  --listen HOST:PORT    where to listen (default 127.0.0.1:8081; port 0: any free one)\n"
         "  --database URL        sqlite:PATH (default sqlite:kestal-hall.sqlite) or\n"
         "                        postgresql://... (a libpq connection URI)\n"
         "  --workers N           recordings verified at once (default: one per core)\n"
         "  --queue N             recordings that may wait for a worker (default: twice the "
         "workers)\n"
         "  --rate N              submissions a minute from one address (default 10)\n"
         "  --allow-origin ORIGIN another site whose pages may call the hall\n"
         "  --verify FILE         verify a recording (- for standard input), print the result\n"
         "  hide ID, unhide ID    take an entry off every board, or put it back\n";
}

std::string urlAuthority(const std::string& host, int port) {
  const bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace kestal::hall
