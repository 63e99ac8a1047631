#include "platform/sha256.h"

namespace ombrix::platform {

std::string HexOf(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::byte b : digest) {
    text += kDigits[std::to_integer<unsigned>(b) >> 4];
    text += kDigits[std::to_integer<unsigned>(b) & 0xF];
  }
  return text;
}

}  // namespace ombrix::platform
