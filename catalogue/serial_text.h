// Drive serial numbers arrive as hexadecimal pairs of byte-swapped characters (the form in which
// Windows has long delivered ATA serials). They are decoded into a 256-byte work area and put in
// reading order there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ombrix {

inline constexpr std::size_t kSerialAreaBytes = 256;
inline constexpr std::size_t kMaxSerialTextChars = 255;

using SerialArea = std::array<std::uint8_t, kSerialAreaBytes>;

// Zeroes the area and decodes the text (cut after 255 characters) pair by pair into it: '0'-'9',
// 'A'-'F' and 'a'-'f' count as their hexadecimal value, every other character as its own code,
// each byte (high * 16 + low) mod 256. A space and a zero byte follow the last decoded byte.
void DecodeSerialText(std::string_view text, SerialArea& area);

// Swaps the bytes of every pair, moves the text down over its leading spaces and turns the spaces
// at the very end of the area into zeros.
void NormalizeSerialText(SerialArea& area);

// The serial a drive's text stands for: decoded, normalised, up to the first zero byte.
std::string SerialFromText(std::string_view text);

}  // namespace ombrix
