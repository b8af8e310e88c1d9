// kestal-hall's command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hall/server/server_options.h"

namespace kestal::hall {

enum class HallAction { Serve, Verify, VerifyChild, Hide, Unhide, Help };

struct HallCommand {
  HallAction action = HallAction::Serve;
  HallServerOptions server;
  std::string database = "sqlite:kestal-hall.sqlite";
  std::size_t workers = 0;                // 0: one per core
  std::optional<std::size_t> queueLimit;  // default: twice the workers
  std::string verifyPath;                 // Verify
  std::int64_t entryId = 0;               // Hide, Unhide
};

struct CommandLineError {
  std::string message;  // one line, without the program's name
};

// The arguments after the program's name.
std::variant<HallCommand, CommandLineError> parseCommandLine(const std::vector<std::string>& args);

const char* hallUsage();

// "HOST:PORT" for a URL: an IPv6 address in brackets.
std::string urlAuthority(const std::string& host, int port);

}  // namespace kestal::hall
