// List labels made from file names the file dialog returns and model texts drives deliver: no
// control character or direction override ever reaches a list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/image_entries.h"
#include "catalogue/labels.h"

namespace {

bool Disguising(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029 || c == 0x200E || c == 0x200F;
}

void Check(const std::u16string& label) {
  for (const char16_t c : label) {
    if (Disguising(c)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string name;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    name.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  if (const auto record = ombrix::SourceImageRecord(0, u"/images/" + name, name,
                                                    static_cast<std::int64_t>(size) * 1000)) {
    Check(ombrix::SourceImageLabel(*record));
    Check(ombrix::TargetImageLabel(*record));
  }
  ombrix::MediaRecord drive;
  ombrix::SetAnsiText(drive.model, std::string(reinterpret_cast<const char*>(data), size));
  drive.size_bytes = static_cast<std::int64_t>(size) << 30;
  Check(ombrix::DriveLabel(drive));
  return 0;
}
