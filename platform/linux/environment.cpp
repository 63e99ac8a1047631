#include "platform/linux/environment.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace ombrix::platform {

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

std::vector<std::string> CurrentEnvironment() {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  return environment;
}

std::optional<std::string> FindOnSearchPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
  while (!folders.empty()) {
    const std::size_t end = folders.find(':');
    const std::filesystem::path folder(folders.substr(0, end));
    // A relative folder would name a program by where we happen to be.
    if (folder.is_absolute()) {
      const std::filesystem::path candidate = folder / name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    if (end == std::string_view::npos) break;
    folders.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace ombrix::platform
