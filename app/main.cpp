// The program's entry: the platform starts its window system, then the application object runs.
#include "app/ombrix_app.h"
#include "platform/application.h"

namespace {
ombrix::COmbrixApp theApp;
}  // namespace

int main(int argc, char** argv) {
  return ombrix::platform::RunApplication(
      argc, argv, [](ombrix::platform::DeviceAccess& devices) { theApp.InitInstance(devices); });
}
