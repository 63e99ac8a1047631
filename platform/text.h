// Text conversions at the platform edge. Drives deliver their model, serial and firmware texts in
// the system's ANSI code page (on Linux: the locale's encoding, UTF-8); the program shows UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ombrix::platform {

// Converts a text in the system code page to UTF-16. Bytes that do not decode become U+FFFD.
std::u16string AnsiToUtf16(std::string_view text);

// (Linux) A UTF-16 file path in the form the system's file calls take it, or nothing when the path
// cannot be represented (an unpaired surrogate, an embedded zero).
std::optional<std::string> NativePath(std::u16string_view path);

}  // namespace ombrix::platform
