#include "app/ombrix_app.h"

#include "app/resources.h"
#include "platform/dialog.h"
#include "platform/process.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {

bool COmbrixApp::InitInstance(platform::DeviceAccess& devices) {
  platform::InitCommonControls();
  registry_key_ = resource::kRegistryKey;
  {
    COmbrixDlg dialog(devices);
    dialog.DoModal();
    // Leaving does not wait for a running transfer: it ends with the process, before anything
    // it still uses is torn down.
    if (dialog.transfer_running() || TransfersRunning() > 0) platform::EndProcessNow(0);
  }
  return false;
}

}  // namespace ombrix
