// Text conversions on Windows: the system's ANSI code page. Paths stay UTF-16 all the way.
#include <windows.h>

#include <climits>

#include "platform/text.h"

namespace ombrix::platform {

std::u16string AnsiToUtf16(std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(text.size());
  const int units = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length, wide.data(), units);
  return {wide.begin(), wide.end()};
}

}  // namespace ombrix::platform
