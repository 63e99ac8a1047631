// The shell services of the program on a Qt desktop.
#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <cstdio>

#include "platform/dialog.h"
#include "platform/linux/browser_launch.h"
#include "platform/qt/qt_text.h"

namespace ombrix::platform {

// There is no "iexplore.exe" here: the desktop's default browser opens the address, started as
// the user even when we run with administrator rights.
void OpenWebAddress(std::u16string_view address) {
  const QUrl url = QUrl::fromUserInput(ToQString(address));
  const BrowserLaunch launch = PlanBrowserLaunch(url.toString().toStdString());
  switch (launch.way) {
    case BrowserLaunch::Way::kDesktop:
      QDesktopServices::openUrl(url);
      return;
    case BrowserLaunch::Way::kAsUser: {
      QStringList arguments;
      for (std::size_t i = 1; i < launch.command.size(); ++i) {
        arguments << QString::fromStdString(launch.command[i]);
      }
      // Detached: the browser outlives nothing of ours and leaves no child to wait for.
      if (!QProcess::startDetached(QString::fromStdString(launch.command[0]), arguments)) {
        std::fprintf(stderr, "ombrix: could not start a browser as the user\n");
      }
      return;
    }
    case BrowserLaunch::Way::kNot:
      std::fprintf(stderr, "ombrix: not opening a browser as root: %s\n", launch.reason.c_str());
      return;
  }
}

}  // namespace ombrix::platform
