// Who opens a web address: the desktop as we run, or, when pkexec made us root, the user who asked
// for the rights, in that user's session, or nobody.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/browser_launch.h"
#include "tests/support/temp_dir.h"

namespace ombrix::platform {
namespace {

TEST(BrowserLaunch, DropsToTheUserWithOnlyTheDisplayAndTheUsersSession) {
  const std::vector<std::string> environment{"HOME=/root",
                                             "DISPLAY=:0",
                                             "XAUTHORITY=/home/user/.Xauthority",
                                             "WAYLAND_DISPLAY=/run/user/1000/wayland-0",
                                             "XDG_RUNTIME_DIR=/run/user/0",
                                             "LD_PRELOAD=/tmp/evil.so",
                                             "PATH=/usr/sbin:/usr/bin"};
  EXPECT_EQ(BrowserAsUserCommand({1000, 1001}, environment, "/usr/bin/xdg-open",
                                 "http://ombrix.example.org"),
            (std::vector<std::string>{
                "/usr/bin/setpriv", "--reuid=1000", "--regid=1001", "--init-groups", "--reset-env",
                "/usr/bin/env", "DISPLAY=:0", "XAUTHORITY=/home/user/.Xauthority",
                "WAYLAND_DISPLAY=/run/user/1000/wayland-0", "XDG_RUNTIME_DIR=/run/user/1000",
                "DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus", "/usr/bin/xdg-open",
                "http://ombrix.example.org"}));
}

// Root with PKEXEC_UID as given and an xdg-open of the test's own first on the search path.
class ElevatedBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, as pkexec makes the program";
    const char* path = std::getenv("PATH");
    old_path_ = path != nullptr ? path : "";
    ::setenv("PATH", (dir_.path().string() + ":" + old_path_).c_str(), 1);
    test::WriteFile(dir_ / "xdg-open", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(dir_ / "xdg-open", std::filesystem::perms::owner_all);
  }
  void TearDown() override {
    if (!old_path_.empty()) ::setenv("PATH", old_path_.c_str(), 1);
    ::unsetenv("PKEXEC_UID");
  }

  test::TempDir dir_;
  std::string old_path_;
};

struct PlanCase {
  const char* name;
  std::optional<std::string> pkexec_uid;
  BrowserLaunch::Way way;
};

class BrowserPlanTest : public ElevatedBrowserTest,
                        public ::testing::WithParamInterface<PlanCase> {};

TEST_P(BrowserPlanTest, OpensAsTheUserWhoAskedForRightsOrNotAtAll) {
  const PlanCase& c = GetParam();
  if (c.pkexec_uid) ::setenv("PKEXEC_UID", c.pkexec_uid->c_str(), 1);
  const BrowserLaunch launch = PlanBrowserLaunch("http://ombrix.example.org");
  EXPECT_EQ(launch.way, c.way) << launch.reason;
  if (c.way == BrowserLaunch::Way::kAsUser) {
    ASSERT_GE(launch.command.size(), 3u);
    EXPECT_EQ(launch.command[1], "--reuid=65534");
    EXPECT_EQ(launch.command[launch.command.size() - 2], (dir_ / "xdg-open").string());
  }
  if (c.way == BrowserLaunch::Way::kNot) {
    EXPECT_FALSE(launch.reason.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserPlanTest,
                         ::testing::Values(
                             // Root logged in as root: root's desktop is the user's.
                             PlanCase{"RootItself", std::nullopt, BrowserLaunch::Way::kDesktop},
                             PlanCase{"ThroughPkexec", "65534", BrowserLaunch::Way::kAsUser},
                             PlanCase{"RootThroughPkexec", "0", BrowserLaunch::Way::kNot},
                             PlanCase{"NotANumber", "65534x", BrowserLaunch::Way::kNot},
                             PlanCase{"NoSuchAccount", "4000000000", BrowserLaunch::Way::kNot}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ombrix::platform
