// Starting again as root through pkexec, and what the first program does when the second ends.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/linux/elevation.h"
#include "tests/support/temp_dir.h"

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
  EXPECT_EQ(PkexecCommand("/opt/ombrix/bin/ombrix", environment, 4242),
            (std::vector<std::string>{
                "pkexec", "/usr/bin/env", "DISPLAY=:0", "XAUTHORITY=/home/user/.Xauthority",
                "WAYLAND_DISPLAY=/run/user/1000/wayland-0", "OMBRIX_ELEVATED=1",
                "OMBRIX_PARENT=4242", "/opt/ombrix/bin/ombrix"}));
}

TEST(ElevationTest, AnAbsoluteWaylandSocketStaysAsItIs) {
  const std::vector<std::string> environment{"WAYLAND_DISPLAY=/tmp/socket"};
  EXPECT_EQ(PkexecCommand("/usr/bin/ombrix", environment, 7),
            (std::vector<std::string>{"pkexec", "/usr/bin/env", "WAYLAND_DISPLAY=/tmp/socket",
                                      "OMBRIX_ELEVATED=1", "OMBRIX_PARENT=7", "/usr/bin/ombrix"}));
}

struct EndCase {
  const char* name;
  RelaunchEnd end;
  std::optional<int> status;  // nothing: go on without rights
  bool silent;                // and say why on standard error
};

class AfterRelaunchTest : public ::testing::TestWithParam<EndCase> {};

TEST_P(AfterRelaunchTest, EndsWithTheWindowsStatusOrGoesOnWithoutRights) {
  const AfterRelaunch after = DecideAfterRelaunch(GetParam().end);
  EXPECT_EQ(after.status, GetParam().status);
  EXPECT_EQ(after.silent, GetParam().silent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AfterRelaunchTest,
    ::testing::Values(EndCase{"WindowThenExit", {3, true}, 3, false},
                      EndCase{"WindowThenSignal", {std::nullopt, true}, 1, false},
                      EndCase{"Dismissed", {126, false}, std::nullopt, false},
                      EndCase{"NotAuthorised", {127, false}, std::nullopt, false},
                      // No display for root, a crash: the user saw nothing at all.
                      EndCase{"NoWindowThenExit", {1, false}, std::nullopt, true},
                      EndCase{"NoWindowThenSignal", {std::nullopt, false}, std::nullopt, true}),
    [](const auto& info) { return std::string(info.param.name); });

// RelaunchAsRoot with a pkexec of the test's own on the search path, standing in for the
// relaunched program: it says its window is up or not, and ends as told.
class RelaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    old_path_ = path != nullptr ? path : "";
    ::setenv("PATH", (dir_.path().string() + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", old_path_.c_str(), 1); }
  void FakePkexec(const std::string& body) {
    const auto script = dir_ / "pkexec";
    test::WriteFile(script, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  test::TempDir dir_;
  std::string old_path_;
};

TEST_F(RelaunchTest, EndsWithTheStatusOfAProgramThatShowedItsWindow) {
  FakePkexec("kill -USR1 $PPID; exit 3");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RelaunchAsRoot(), 3);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(RelaunchTest, AProgramThatEndedWithoutAWindowIsReportedAndLeftBehind) {
  FakePkexec("exit 1");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RelaunchAsRoot(), std::nullopt);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("ended before it showed a window (exit status 1)"), std::string::npos)
      << said;
}

TEST_F(RelaunchTest, ARefusedPasswordGoesOnWithoutRightsQuietly) {
  FakePkexec("exit 126");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RelaunchAsRoot(), std::nullopt);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// The relaunched program signals the program that started it, and no other process.
TEST(ReportWindowShownTest, SignalsOnlyTheParentNamedInItsEnvironment) {
  static volatile std::sig_atomic_t heard = 0;
  struct sigaction counting {
  }, previous{};
  counting.sa_handler = [](int) { heard = heard + 1; };
  sigemptyset(&counting.sa_mask);
  ::sigaction(SIGUSR1, &counting, &previous);
  for (const bool named : {true, false}) {
    heard = 0;
    const std::string parent = std::to_string(named ? ::getpid() : ::getpid() + 100000);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::setenv(kParentVariable, parent.c_str(), 1);
      ReportWindowShown();
      ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    EXPECT_EQ(heard, named ? 1 : 0) << parent;
  }
  ::sigaction(SIGUSR1, &previous, nullptr);
}

}  // namespace
}  // namespace ombrix::platform
