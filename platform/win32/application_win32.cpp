// Start-up on Windows: the manifest has asked for administrator rights already.
#include "platform/application.h"
#include "platform/win32/device_win32.h"

namespace ombrix::platform {

int RunApplication(int /*argc*/, char** /*argv*/, const std::function<void(DeviceAccess&)>& run) {
  Win32DeviceAccess devices;
  run(devices);
  return 0;
}

}  // namespace ombrix::platform
