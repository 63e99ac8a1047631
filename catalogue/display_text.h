// Texts that come from devices and file names are shown only after the characters that could make
// one entry pose as another (control characters, bidirectional overrides, line separators) are
// made visible as U+FFFD.
#pragma once

#include <string>

namespace ombrix {

std::u16string CleanForDisplay(std::u16string text);

}  // namespace ombrix
