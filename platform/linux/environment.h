// The process environment as the start-up code reads it: variables by name, the whole environment,
// and programs on the search path.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix::platform {

// The value of `name` in `environment` ("NAME=value" entries).
std::optional<std::string> ValueOf(const std::vector<std::string>& environment,
                                   std::string_view name);

// This process's environment, as "NAME=value" entries.
std::vector<std::string> CurrentEnvironment();

// The first executable `name` in the absolute folders of PATH, as an absolute path.
std::optional<std::string> FindOnSearchPath(std::string_view name);

}  // namespace ombrix::platform
