#include "platform/drive_path.h"

#include <limits>

namespace ombrix::platform {

std::u16string FormatDrivePath(int number) {
  std::u16string path(kDrivePathPrefix);
  for (char c : std::to_string(number)) path.push_back(static_cast<char16_t>(c));
  return path;
}

std::optional<int> ParseDrivePath(std::u16string_view path) {
  if (!path.starts_with(kDrivePathPrefix)) return std::nullopt;
  std::u16string_view digits = path.substr(kDrivePathPrefix.size());
  if (digits.empty() || (digits.size() > 1 && digits.front() == u'0')) return std::nullopt;
  long long value = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return static_cast<int>(value);
}

}  // namespace ombrix::platform
