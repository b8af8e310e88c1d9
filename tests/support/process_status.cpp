#include "tests/support/process_status.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

std::vector<pid_t> childProcesses(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    // "PID (NAME) STATE PPID ...", where NAME may hold anything but ends with the last ')'.
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    char state = 0;
    pid_t ppid = 0;
    if (fields >> state >> ppid && ppid == parent) {
      children.push_back(std::stoi(entry.path().filename()));
    }
  }
  return children;
}

long peakResidentKiB(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
  }
  return 0;
}

}  // namespace testsupport
