// The application object: starts the main dialog and ends the program when it closes.
#pragma once

#include <string>

#include "platform/device.h"

namespace ombrix {

class COmbrixApp {
 public:
  // Runs the main dialog modally on `devices`; returns false, so that no message loop of the
  // application's own follows.
  bool InitInstance(platform::DeviceAccess& devices);

  const std::u16string& registry_key() const { return registry_key_; }

 private:
  // Where the framework would keep its settings; the program stores nothing.
  std::u16string registry_key_;
};

}  // namespace ombrix
