// Texts that come from devices and file names are shown only after the characters that could make
// one entry pose as another (control characters, bidirectional overrides, line separators) are
// made visible as U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace ombrix {

std::u16string CleanForDisplay(std::u16string text);

// A text of the program's own ASCII (numbers, units) as UTF-16.
inline std::u16string WidenAscii(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

}  // namespace ombrix
