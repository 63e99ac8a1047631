// Small conversions for test assertions.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ombrix::test {

// Widens an ASCII text to UTF-16.
inline std::u16string U16(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}
inline std::u16string PathU16(const std::filesystem::path& p) {
  return p.u16string();
}
// Narrows a UTF-16 text for printing; non-ASCII characters become '?'.
inline std::string Ascii(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace ombrix::test
