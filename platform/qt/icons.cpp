#include "platform/qt/icons.h"

#include <array>

namespace ombrix::platform {

namespace {
constexpr int kProgramIcon = 128;
constexpr std::array kIconSizes{16, 32, 48, 128, 256};
}  // namespace

QIcon IconResource(int id) {
  QIcon icon;
  if (id != kProgramIcon) return icon;
  for (const int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/icons/ombrix-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace ombrix::platform
