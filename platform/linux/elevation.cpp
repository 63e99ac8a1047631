#include "platform/linux/elevation.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

extern char** environ;

namespace ombrix::platform {

namespace {

// pkexec's own statuses: the authentication was dismissed, or not allowed.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorised = 127;

// What a window needs to reach the user's display, and nothing else of the user's environment.
constexpr std::array<std::string_view, 5> kDisplayVariables{
    "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};

std::optional<std::string> ValueOf(const std::vector<std::string>& environment,
                                   std::string_view name) {
  for (const std::string& entry : environment) {
    if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
        entry[name.size()] == '=') {
      return entry.substr(name.size() + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

ElevationStep DecideElevation(bool is_root, bool relaunched_already, bool pkexec_found) {
  if (is_root) return ElevationStep::kRun;
  if (relaunched_already || !pkexec_found) return ElevationStep::kRunUnprivileged;
  return ElevationStep::kRelaunch;
}

std::vector<std::string> PkexecCommand(const std::string& program,
                                       const std::vector<std::string>& environment) {
  std::vector<std::string> command{"pkexec", "/usr/bin/env"};
  const std::optional<std::string> runtime_dir = ValueOf(environment, "XDG_RUNTIME_DIR");
  for (const std::string_view name : kDisplayVariables) {
    std::optional<std::string> value = ValueOf(environment, name);
    if (!value || value->empty() || name == "XDG_RUNTIME_DIR") continue;
    // A Wayland socket named relative to the user's runtime folder is made absolute: root's
    // runtime folder is another one.
    if (name == "WAYLAND_DISPLAY" && value->front() != '/' && runtime_dir) {
      value = *runtime_dir + "/" + *value;
    }
    command.push_back(std::string(name) + "=" + *value);
  }
  command.push_back(std::string(kElevatedMarker) + "=1");
  command.push_back(program);
  return command;
}

bool PkexecAvailable() {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
  while (!folders.empty()) {
    const std::size_t end = folders.find(':');
    const std::filesystem::path candidate =
        std::filesystem::path(folders.substr(0, end)) / "pkexec";
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    if (end == std::string_view::npos) break;
    folders.remove_prefix(end + 1);
  }
  return false;
}

std::optional<int> RelaunchAsRoot() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;

  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  std::vector<std::string> command = PkexecCommand(program.string(), environment);
  std::vector<char*> arguments;
  for (std::string& argument : command) arguments.push_back(argument.data());
  arguments.push_back(nullptr);

  pid_t child = 0;
  if (::posix_spawnp(&child, "pkexec", nullptr, nullptr, arguments.data(), environ) != 0) {
    return std::nullopt;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status)) return 1;
  const int code = WEXITSTATUS(status);
  if (code == kPkexecDismissed || code == kPkexecNotAuthorised) return std::nullopt;
  return code;
}

}  // namespace ombrix::platform
