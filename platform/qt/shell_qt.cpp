// The shell services of the program on a Qt desktop.
#include <QDesktopServices>
#include <QUrl>

#include "platform/dialog.h"
#include "platform/qt/qt_text.h"

namespace ombrix::platform {

// There is no "iexplore.exe" here: the desktop's default browser opens the address.
void OpenWebAddress(std::u16string_view address) {
  QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(address)));
}

}  // namespace ombrix::platform
