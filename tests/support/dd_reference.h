// What dd makes of a copy request: the reference that copies are compared with.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace ombrix::test {

// The bytes of `scratch` after dd copies `count` sectors of `bps` bytes from sector `start` of
// `source` to the same sector of `scratch`, which first holds `before` (no file when absent),
// without truncating it. Empty with `ok` false when dd fails.
std::string DdResult(const std::filesystem::path& source, const std::optional<std::string>& before,
                     std::uint32_t bps, std::int64_t start, std::int64_t count,
                     const std::filesystem::path& scratch, bool& ok);

}  // namespace ombrix::test
