// Starting again as root through pkexec.
#include <gtest/gtest.h>

#include "platform/linux/elevation.h"

namespace ombrix::platform {
namespace {

TEST(ElevationTest, RelaunchesOnlyOnceAndOnlyWithPkexec) {
  EXPECT_EQ(DecideElevation(true, false, true), ElevationStep::kRun);
  EXPECT_EQ(DecideElevation(true, true, false), ElevationStep::kRun);
  EXPECT_EQ(DecideElevation(false, false, true), ElevationStep::kRelaunch);
  // Relaunched already and still not root (pkexec ran it as the user): never a loop.
  EXPECT_EQ(DecideElevation(false, true, true), ElevationStep::kRunUnprivileged);
  EXPECT_EQ(DecideElevation(false, false, false), ElevationStep::kRunUnprivileged);
}

TEST(ElevationTest, CommandKeepsOnlyTheDisplayVariables) {
  const std::vector<std::string> environment{"HOME=/home/user",
                                             "DISPLAY=:0",
                                             "XAUTHORITY=/home/user/.Xauthority",
                                             "WAYLAND_DISPLAY=wayland-0",
                                             "XDG_RUNTIME_DIR=/run/user/1000",
                                             "LD_PRELOAD=/tmp/evil.so",
                                             "QT_QPA_PLATFORM=",
                                             "PATH=/usr/bin"};
  EXPECT_EQ(PkexecCommand("/opt/ombrix/bin/ombrix", environment),
            (std::vector<std::string>{"pkexec", "/usr/bin/env", "DISPLAY=:0",
                                      "XAUTHORITY=/home/user/.Xauthority",
                                      "WAYLAND_DISPLAY=/run/user/1000/wayland-0",
                                      "OMBRIX_ELEVATED=1", "/opt/ombrix/bin/ombrix"}));
}

TEST(ElevationTest, AnAbsoluteWaylandSocketStaysAsItIs) {
  const std::vector<std::string> environment{"WAYLAND_DISPLAY=/tmp/socket"};
  EXPECT_EQ(PkexecCommand("/usr/bin/ombrix", environment),
            (std::vector<std::string>{"pkexec", "/usr/bin/env", "WAYLAND_DISPLAY=/tmp/socket",
                                      "OMBRIX_ELEVATED=1", "/usr/bin/ombrix"}));
}

}  // namespace
}  // namespace ombrix::platform
