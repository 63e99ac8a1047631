// Administrator rights on Linux: raw disks open only for root, so a program started by a user
// starts itself again through pkexec, which asks for the password the desktop's way.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ombrix::platform {

// Set in the environment of the relaunched program, so that it never relaunches again.
inline constexpr char kElevatedMarker[] = "OMBRIX_ELEVATED";
// The process ID of the program that relaunched it, which waits to hear that a window is up.
inline constexpr char kParentVariable[] = "OMBRIX_PARENT";

enum class ElevationStep {
  kRun,              // root already: run
  kRelaunch,         // ask pkexec to start the program as root
  kRunUnprivileged,  // tried already, or no pkexec: run without rights, after saying so
};

ElevationStep DecideElevation(bool is_root, bool relaunched_already, bool pkexec_found);

// The command line that starts `program` as root with the display variables of `environment`
// ("NAME=value" entries) and the ID of the `parent` that waits for it: pkexec clears the
// environment, so env puts them back.
std::vector<std::string> PkexecCommand(const std::string& program,
                                       const std::vector<std::string>& environment, int parent);

// How the relaunched program ended, as its parent saw it.
struct RelaunchEnd {
  std::optional<int> exit_code;  // nothing when a signal ended it
  bool window_shown = false;     // it said its window was up
};

// What the parent does then: end with `status`, or go on without rights (nothing). `silent` is
// set when the program ended before any window without pkexec having been refused: the user saw
// nothing, so the parent must say so.
struct AfterRelaunch {
  std::optional<int> status;
  bool silent = false;
};
AfterRelaunch DecideAfterRelaunch(const RelaunchEnd& end);

// Whether pkexec is on the search path.
bool PkexecAvailable();

// Runs the program as root through pkexec and waits: its exit status, or nothing when it did not
// come up (pkexec not found, dismissed or not authorised; or the program ended before showing a
// window, which is said on standard error).
std::optional<int> RelaunchAsRoot();

// In the relaunched program, once its first window is up: tells the program that relaunched it.
void ReportWindowShown();

}  // namespace ombrix::platform
