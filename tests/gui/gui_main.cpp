// GoogleTest's main for tests of real widgets: one QApplication, without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/dialog_font.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setFont(ombrix::platform::DialogFont(9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
