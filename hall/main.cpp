// kestal-hall: the hall of fame server, its verification commands and its moderation.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "hall/http/hall_server.h"
#include "hall/server/command_line.h"
#include "hall/server/stop_signals.h"
#include "hall/server/verifier_pool.h"
#include "hall/store/store.h"
#include "hall/verify/child_verifier.h"
#include "hall/verify/verify_command.h"

namespace {

using namespace kestal::hall;

std::unique_ptr<Store> openOrSay(const std::string& url) {
  try {
    return openStore(url);
  } catch (const StoreError& error) {
    std::cerr << "kestal-hall: " << error.what() << std::endl;
    return nullptr;
  }
}

int moderate(const HallCommand& command) {
  const auto store = openOrSay(command.database);
  if (!store) return 1;
  const bool hide = command.action == HallAction::Hide;
  try {
    if (!store->setHidden(command.entryId, hide)) {
      std::cerr << "kestal-hall: no entry " << command.entryId << std::endl;
      return 1;
    }
  } catch (const StoreError& error) {
    std::cerr << "kestal-hall: " << error.what() << std::endl;
    return 1;
  }
  std::cout << "entry " << command.entryId << (hide ? " hidden" : " unhidden") << std::endl;
  return 0;
}

// Each connection held is a descriptor: the soft limit (1024 under systemd) is raised as far
// as the hard one allows, which the kernel then holds the process to.
void allowManyConnections(std::size_t connections) {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return;
  const rlim_t wanted = std::min<rlim_t>(files.rlim_max, connections + 256);
  if (files.rlim_cur >= wanted) return;
  files.rlim_cur = wanted;
  setrlimit(RLIMIT_NOFILE, &files);
}

int serve(const HallCommand& command) {
  // A client gone mid-answer must cost an error code, not the process.
  std::signal(SIGPIPE, SIG_IGN);
  allowManyConnections(command.server.maxConnections);
  const auto store = openOrSay(command.database);
  if (!store) return 1;
  const std::size_t workers = command.workers == 0 ? defaultWorkerCount() : command.workers;
  VerifierPool pool(
      [](const std::string& script, int stop) { return verifyInChild(script, {}, stop); }, workers,
      command.queueLimit.value_or(2 * workers));
  HallServer server(command.server, *store, pool);
  const auto port = server.bind();
  if (!port) {
    std::cerr << "kestal-hall: cannot listen on "
              << urlAuthority(command.server.host, command.server.port) << std::endl;
    return 1;
  }
  // Verifications under way are ended (their requests answered 503), then the answers are
  // written and the server returns: well within the unit's stop timeout.
  StopSignals stopSignals([&] {
    pool.close();
    server.stop();
  });
  std::cout << "kestal-hall: listening on http://" << urlAuthority(command.server.host, *port)
            << " (" << store->kind() << ")" << std::endl;
  return server.serve() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = parseCommandLine(args);
  if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
    std::cerr << "kestal-hall: " << error->message << " (see kestal-hall --help)" << std::endl;
    return 2;
  }
  const HallCommand& command = std::get<HallCommand>(parsed);
  switch (command.action) {
    case HallAction::Help:
      std::cout << hallUsage();
      return 0;
    case HallAction::Verify:
      return runVerifyCommand(command.verifyPath);
    case HallAction::VerifyChild:
      return runVerifyChild();
    case HallAction::Hide:
    case HallAction::Unhide:
      return moderate(command);
    case HallAction::Serve:
      return serve(command);
  }
  return 2;
}
