#include "platform/linux/browser_launch.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/linux/environment.h"

namespace ombrix::platform {

namespace {

constexpr char kSetpriv[] = "/usr/bin/setpriv";

// What a browser needs to reach the user's display; the rest of our environment is root's.
constexpr std::array<std::string_view, 3> kDisplayVariables{"DISPLAY", "XAUTHORITY",
                                                            "WAYLAND_DISPLAY"};

BrowserLaunch Not(std::string reason) {
  return {BrowserLaunch::Way::kNot, {}, std::move(reason)};
}

}  // namespace

std::vector<std::string> BrowserAsUserCommand(const UserAccount& user,
                                              const std::vector<std::string>& environment,
                                              const std::string& xdg_open, const std::string& url) {
  const std::string uid = std::to_string(user.uid);
  const std::string runtime_dir = "/run/user/" + uid;
  std::vector<std::string> command{
      kSetpriv,        "--reuid=" + uid, "--regid=" + std::to_string(user.gid),
      "--init-groups", "--reset-env",    "/usr/bin/env"};
  for (const std::string_view name : kDisplayVariables) {
    const std::optional<std::string> value = ValueOf(environment, name);
    if (value && !value->empty()) command.push_back(std::string(name) + "=" + *value);
  }
  command.push_back("XDG_RUNTIME_DIR=" + runtime_dir);
  command.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + runtime_dir + "/bus");
  command.push_back(xdg_open);
  command.push_back(url);
  return command;
}

BrowserLaunch PlanBrowserLaunch(const std::string& url) {
  const char* pkexec_uid = std::getenv("PKEXEC_UID");
  if (::geteuid() != 0 || pkexec_uid == nullptr) return {};

  uid_t uid = 0;
  const std::string_view text(pkexec_uid);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), uid);
  if (error != std::errc() || end != text.data() + text.size() || uid == 0) {
    return Not("PKEXEC_UID does not name a user");
  }
  const passwd* account = ::getpwuid(uid);
  if (account == nullptr) return Not("user " + std::string(text) + " has no account");
  if (::access(kSetpriv, X_OK) != 0) return Not(std::string(kSetpriv) + " is missing");
  // By its absolute path: the user's environment, and so its search path, is dropped before it
  // runs.
  const std::optional<std::string> xdg_open = FindOnSearchPath("xdg-open");
  if (!xdg_open) return Not("xdg-open is missing");

  return {BrowserLaunch::Way::kAsUser,
          BrowserAsUserCommand({account->pw_uid, account->pw_gid}, CurrentEnvironment(), *xdg_open,
                               url),
          {}};
}

}  // namespace ombrix::platform
