// Who opens a web address. A browser must not run as root: when pkexec made us root, the address
// is opened by the user who asked for the rights, in that user's session, or not at all.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ombrix::platform {

struct BrowserLaunch {
  enum class Way {
    kDesktop,  // as we run: the desktop's own way
    kAsUser,   // `command`, which drops to the user before it starts the browser
    kNot,      // nobody to open it as; `reason` says why
  };
  Way way = Way::kDesktop;
  std::vector<std::string> command;
  std::string reason;
};

struct UserAccount {
  uid_t uid;
  gid_t gid;
};

// Runs `xdg_open` on `url` as `user`, with the user's groups and a clean environment but for the
// display variables of `environment` ("NAME=value" entries) and the user's session folder and bus.
std::vector<std::string> BrowserAsUserCommand(const UserAccount& user,
                                              const std::vector<std::string>& environment,
                                              const std::string& xdg_open, const std::string& url);

// How this process opens `url`: looks at who we are, PKEXEC_UID, the user's account and the
// programs on the search path.
BrowserLaunch PlanBrowserLaunch(const std::string& url);

}  // namespace ombrix::platform
