// Administrator rights on Linux: raw disks open only for root, so a program started by a user
// starts itself again through pkexec, which asks for the password the desktop's way.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ombrix::platform {

// Set in the environment of the relaunched program, so that it never relaunches again.
inline constexpr char kElevatedMarker[] = "OMBRIX_ELEVATED";

enum class ElevationStep {
  kRun,              // root already: run
  kRelaunch,         // ask pkexec to start the program as root
  kRunUnprivileged,  // tried already, or no pkexec: run without rights, after saying so
};

ElevationStep DecideElevation(bool is_root, bool relaunched_already, bool pkexec_found);

// The command line that starts `program` as root with the display variables of `environment`
// ("NAME=value" entries): pkexec clears the environment, so env puts them back.
std::vector<std::string> PkexecCommand(const std::string& program,
                                       const std::vector<std::string>& environment);

// Whether pkexec is on the search path.
bool PkexecAvailable();

// Runs the program as root through pkexec and waits: its exit status, or nothing when pkexec
// could not run it (not found, dismissed, not authorised).
std::optional<int> RelaunchAsRoot();

}  // namespace ombrix::platform
