#include "catalogue/serial_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ombrix {

namespace {

unsigned HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c;
}

}  // namespace

void DecodeSerialText(std::string_view text, SerialArea& area) {
  area.fill(0);
  text = text.substr(0, std::min(text.find('\0'), kMaxSerialTextChars));
  // Characters past the end read as the terminator, so an odd text ends with a half pair.
  auto at = [&](std::size_t i) -> unsigned char {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
  };
  std::size_t bytes = 0;
  for (std::size_t i = 0; 2 * i < text.size(); ++i) {
    area[i] = static_cast<std::uint8_t>((HexValue(at(2 * i)) * 16 + HexValue(at(2 * i + 1))) % 256);
    bytes = i + 1;
  }
  // At most 128 bytes were decoded, so both of these fit.
  area[bytes] = ' ';
  area[bytes + 1] = 0;
}

void NormalizeSerialText(SerialArea& area) {
  for (std::size_t i = 0; i + 1 < area.size(); i += 2) std::swap(area[i], area[i + 1]);

  std::size_t spaces = 0;
  while (spaces < area.size() && area[spaces] == ' ') ++spaces;
  // The bytes past the moved text keep what they held.
  std::memmove(area.data(), area.data() + spaces, area.size() - spaces);

  for (std::size_t i = area.size(); i-- > 0 && area[i] == ' ';) area[i] = 0;
}

std::string SerialFromText(std::string_view text) {
  SerialArea area;
  DecodeSerialText(text, area);
  NormalizeSerialText(area);
  const auto end = std::find(area.begin(), area.end(), 0);
  return {area.begin(), end};
}

}  // namespace ombrix
