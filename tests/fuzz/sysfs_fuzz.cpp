// The texts and pages the Linux layer reads from sysfs: attributes, numbers, device numbers and
// the VPD pages of serial and ATA identity.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/linux/sysfs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace sysfs = ombrix::platform::sysfs;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  sysfs::AttributeText(text);
  sysfs::ParseDecimal(text);
  sysfs::ParseDeviceNumber(text);
  sysfs::ParseUnitSerialPage(bytes);
  sysfs::ParseAtaInformationPage(bytes);
  return 0;
}
