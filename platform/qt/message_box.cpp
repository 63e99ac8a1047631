#include "platform/qt/message_box.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/qt_text.h"
#include "platform/window.h"

namespace ombrix::platform {

namespace {

constexpr std::uint32_t kIconMask = 0xF0;
constexpr std::uint32_t kButtonMask = 0x0F;

QMessageBox::Icon IconOf(std::uint32_t flags) {
  switch (flags & kIconMask) {
    case kBoxIconError:
      return QMessageBox::Critical;
    case kBoxIconExclamation:
      return QMessageBox::Warning;
    case kBoxIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int ShowQtMessageBox(QWidget* owner, std::u16string_view text, std::u16string_view title,
                     std::uint32_t flags) {
  QMessageBox box(IconOf(flags), ToQString(title), ToQString(text), QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);  // texts come from devices and file names too
  // The button captions of a Chinese Windows, whatever the desktop's language.
  if ((flags & kButtonMask) == kBoxYesNo) {
    QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes ? kIdYes : kIdNo;
  }
  QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return kIdOk;
}

}  // namespace ombrix::platform
