// GoogleTest's main for tests of real widgets: one QApplication, without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/dialog_font.h"

#if defined(__SANITIZE_THREAD__)
// Qt is not built with the thread sanitizer, so its own locking is invisible to it and the copies
// and allocations Qt makes through intercepted calls (memmove, new, delete) in its helper threads
// look like races. Accesses through intercepted calls are therefore not checked here; every load
// and store of our own code still is, and our code hands data between the worker and the dialog
// only through mutexes the sanitizer sees. (Built on Qt's blocking connection instead, these tests
// report races on the handed-over results.)
extern "C" const char* __tsan_default_options() {
  return "ignore_interceptors_accesses=1";
}
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
#endif

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setFont(ombrix::platform::DialogFont(9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
