// Model, serial and firmware of a drive, as the list and the details box show them.
#pragma once

#include <string>

#include "platform/device.h"

namespace ombrix {

struct DriveIdentity {
  std::string model{};  // vendor + " " + product when a vendor is present, else the product
  std::string serial{};
  std::string firmware{};
  bool vendor_present = false;
};

// The identity that a drive's descriptor texts give; pure, so it is tested without a drive.
DriveIdentity IdentityFromDescriptor(const platform::StorageDescriptorTexts& texts);

// Asks drive n for its identity through a query-only open; empty when it cannot be asked.
DriveIdentity QueryDriveIdentity(platform::DeviceAccess& devices, int n);

}  // namespace ombrix
