#include "platform/linux/elevation.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/linux/environment.h"

extern char** environ;

namespace ombrix::platform {

namespace {

// pkexec's own statuses: the authentication was dismissed, or not allowed.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorised = 127;

constexpr int kWindowShownSignal = SIGUSR1;
volatile std::sig_atomic_t window_shown = 0;

// What a window needs to reach the user's display, and nothing else of the user's environment.
constexpr std::array<std::string_view, 5> kDisplayVariables{
    "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};

}  // namespace

ElevationStep DecideElevation(bool is_root, bool relaunched_already, bool pkexec_found) {
  if (is_root) return ElevationStep::kRun;
  if (relaunched_already || !pkexec_found) return ElevationStep::kRunUnprivileged;
  return ElevationStep::kRelaunch;
}

std::vector<std::string> PkexecCommand(const std::string& program,
                                       const std::vector<std::string>& environment, int parent) {
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
  command.push_back(std::string(kParentVariable) + "=" + std::to_string(parent));
  command.push_back(program);
  return command;
}

AfterRelaunch DecideAfterRelaunch(const RelaunchEnd& end) {
  if (end.window_shown) return {end.exit_code.value_or(1), false};
  const bool refused = end.exit_code == kPkexecDismissed || end.exit_code == kPkexecNotAuthorised;
  return {std::nullopt, !refused};
}

bool PkexecAvailable() {
  return FindOnSearchPath("pkexec").has_value();
}

std::optional<int> RelaunchAsRoot() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;

  std::vector<std::string> command =
      PkexecCommand(program.string(), CurrentEnvironment(), static_cast<int>(::getpid()));
  std::vector<char*> arguments;
  for (std::string& argument : command) arguments.push_back(argument.data());
  arguments.push_back(nullptr);

  // The relaunched program says its window is up with a signal, caught here while we wait.
  struct sigaction heard {
  }, previous{};
  heard.sa_handler = [](int) { window_shown = 1; };
  sigemptyset(&heard.sa_mask);
  window_shown = 0;
  ::sigaction(kWindowShownSignal, &heard, &previous);
  const auto restore = [&previous] { ::sigaction(kWindowShownSignal, &previous, nullptr); };

  pid_t child = 0;
  if (::posix_spawnp(&child, "pkexec", nullptr, nullptr, arguments.data(), environ) != 0) {
    restore();
    return std::nullopt;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      restore();
      return std::nullopt;
    }
  }
  restore();
  const RelaunchEnd end{
      .exit_code = WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt,
      .window_shown = window_shown != 0};
  const AfterRelaunch after = DecideAfterRelaunch(end);
  if (after.silent) {
    std::fprintf(stderr,
                 "ombrix: the program started with administrator rights ended before it showed "
                 "a window (%s %d); going on without them.\n",
                 end.exit_code ? "exit status" : "signal",
                 end.exit_code ? *end.exit_code : WTERMSIG(status));
  }
  return after.status;
}

void ReportWindowShown() {
  const char* parent = std::getenv(kParentVariable);
  if (parent == nullptr) return;
  char* end = nullptr;
  const long pid = std::strtol(parent, &end, 10);
  // Only the program that started us, and only while it still is our parent.
  if (end == parent || *end != '\0' || pid <= 1 || pid != static_cast<long>(::getppid())) return;
  ::kill(static_cast<pid_t>(pid), kWindowShownSignal);
}

}  // namespace ombrix::platform
