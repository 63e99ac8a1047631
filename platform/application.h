// Starting the program on a desktop: the window system, the rights the program needs, and the
// device access its dialog works with.
#pragma once

#include <functional>

#include "platform/device.h"

namespace ombrix::platform {

// Sets up the window system and runs `run` with the system's device access; returns the
// process's exit status.
int RunApplication(int argc, char** argv, const std::function<void(DeviceAccess&)>& run);

}  // namespace ombrix::platform
