// Stands in for `kestal-hall --verify-child` where a test needs a child that misbehaves or
// reports on itself. KESTAL_PROBE picks what it does:
//   fds          reads its input, answers a refusal naming its open descriptors ("0 1 2")
//   never-reads  sleeps a minute without reading
//   floods       writes 2 MiB of output
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string openDescriptors() {
  DIR* directory = opendir("/proc/self/fd");
  if (directory == nullptr) return "unknown";
  std::string listed;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || std::stoi(name) == dirfd(directory)) continue;
    listed += (listed.empty() ? "" : " ") + name;
  }
  closedir(directory);
  return listed;
}

}  // namespace

int main() {
  const char* probe = std::getenv("KESTAL_PROBE");
  const std::string mode = probe ? probe : "";
  if (mode == "never-reads") {
    sleep(60);
    return 0;
  }
  if (mode == "floods") {
    const std::string block(65536, 'x');
    for (int i = 0; i < 32; ++i) std::fwrite(block.data(), 1, block.size(), stdout);
    return 0;
  }
  const std::string input(std::istreambuf_iterator<char>(std::cin), {});
  std::printf("{\"status\": \"bad-script\", \"error\": \"%s\"}\n", openDescriptors().c_str());
  return 0;
}
