#include "platform/serial_encoding.h"

namespace ombrix::platform {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string EncodeSerialAsSwappedHex(std::string_view serial) {
  serial = serial.substr(0, serial.find('\0'));
  while (!serial.empty() && IsBlank(serial.front())) serial.remove_prefix(1);
  while (!serial.empty() && IsBlank(serial.back())) serial.remove_suffix(1);
  serial = serial.substr(0, kMaxEncodedSerialBytes);

  std::string bytes(serial);
  if (bytes.size() % 2 != 0) bytes.push_back('\0');

  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    for (char c : {bytes[i + 1], bytes[i]}) {
      const auto b = static_cast<unsigned char>(c);
      hex.push_back(kHex[b >> 4]);
      hex.push_back(kHex[b & 0x0F]);
    }
  }
  return hex;
}

std::string SerialInCatalogueForm(std::string_view delivered) {
  const bool hex_pairs =
      !delivered.empty() && delivered.size() % 2 == 0 &&
      delivered.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  return hex_pairs ? std::string(delivered) : EncodeSerialAsSwappedHex(delivered);
}

}  // namespace ombrix::platform
