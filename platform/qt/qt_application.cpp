// Start-up on a Linux desktop: a display, administrator rights (through pkexec when the user has
// none), the Qt application and the system's device access.
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "platform/application.h"
#include "platform/dialog.h"
#include "platform/linux/device_linux.h"
#include "platform/linux/elevation.h"
#include "platform/qt/dialog_font.h"
#include "platform/qt/message_box.h"
#include "platform/window.h"

namespace ombrix::platform {

namespace {

constexpr std::u16string_view kNoRights =
    u"当前没有管理员权限：只有以管理员（root）身份运行时才能列出和读写硬盘。"
    u"程序将以普通用户身份继续运行，只能使用镜像文件。";

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool HasDisplay() {
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

}  // namespace

void InitCommonControls() {}  // Qt's widgets need no preparation

int RunApplication(int argc, char** argv, const std::function<void(DeviceAccess&)>& run) {
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "ombrix: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set); "
                 "start it from a desktop session.\n");
    return 1;
  }

  const ElevationStep step =
      DecideElevation(::geteuid() == 0, Set(kElevatedMarker), PkexecAvailable());
  bool unprivileged = step == ElevationStep::kRunUnprivileged;
  if (step == ElevationStep::kRelaunch) {
    if (const std::optional<int> status = RelaunchAsRoot()) return *status;
    unprivileged = true;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ombrix"));
  QApplication::setFont(DialogFont(9));
  // The file dialogs' own buttons in Chinese, when Qt's translations are installed.
  QTranslator translator;
  if (translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&translator);
  }
  // Relaunched: once the first window is up (the first turn of its loop), the program that
  // waits for us hears that we reached the display.
  if (Set(kElevatedMarker)) QTimer::singleShot(0, [] { ReportWindowShown(); });
  if (unprivileged) ShowQtMessageBox(nullptr, kNoRights, kTitleNotice, kInformationBox);

  LinuxDeviceAccess devices;
  run(devices);
  return 0;
}

}  // namespace ombrix::platform
