#include "catalogue/drive_identity.h"

#include "catalogue/serial_text.h"
#include "platform/drive_path.h"

namespace ombrix {

DriveIdentity IdentityFromDescriptor(const platform::StorageDescriptorTexts& texts) {
  DriveIdentity identity;
  identity.serial = SerialFromText(texts.serial.value_or(""));
  const std::string product = texts.product.value_or("");
  identity.vendor_present = texts.vendor.has_value();
  identity.model = identity.vendor_present ? *texts.vendor + " " + product : product;
  identity.firmware = texts.revision.value_or("");
  return identity;
}

DriveIdentity QueryDriveIdentity(platform::DeviceAccess& devices, int n) {
  using platform::Access, platform::Share, platform::Disposition;
  const auto opened = devices.Open(platform::FormatDrivePath(n), Access::kQuery, Share::kReadWrite,
                                   Disposition::kOpenExisting);
  if (!opened.medium) return {};
  const auto texts = opened.medium->StorageDescriptor();
  if (!texts) return {};
  return IdentityFromDescriptor(*texts);
}

}  // namespace ombrix
