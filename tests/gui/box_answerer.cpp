#include "tests/gui/box_answerer.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/qt/qt_text.h"
#include "platform/window.h"

namespace ombrix::test {

namespace {

using platform::FromQString;

std::uint32_t FlagsOf(const QMessageBox& box) {
  std::uint32_t flags = box.buttons().size() == 2 ? platform::kBoxYesNo : platform::kBoxOk;
  switch (box.icon()) {
    case QMessageBox::Critical:
      return flags | platform::kBoxIconError;
    case QMessageBox::Warning:
      return flags | platform::kBoxIconExclamation;
    case QMessageBox::Information:
      return flags | platform::kBoxIconInformation;
    default:
      return flags;
  }
}

std::u16string EntryOf(const QMessageBox& box) {
  const std::u16string title = FromQString(box.windowTitle());
  const std::u16string text = FromQString(box.text());
  const std::uint32_t flags = FlagsOf(box);
  if (title == platform::kTitleNotice) {
    if (flags == platform::kQuestionBox) return u"question:" + text;
    if (flags == platform::kInformationBox) return u"info:" + text;
    if (flags == platform::kWarningBox) return u"warning:" + text;
  }
  if (title == platform::kTitleError && flags == platform::kErrorBox) return u"error:" + text;
  const std::string number = std::to_string(flags);
  return u"box(" + title + u"," + std::u16string(number.begin(), number.end()) + u"):" + text;
}

}  // namespace

BoxAnswerer::BoxAnswerer() {
  timer_.setInterval(2);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start();
}

BoxAnswerer::~BoxAnswerer() {
  timer_.stop();
}

void BoxAnswerer::Answers(std::initializer_list<int> answers) {
  std::lock_guard lock(mutex_);
  answers_.insert(answers_.end(), answers);
}

void BoxAnswerer::Files(std::initializer_list<std::u16string> paths) {
  std::lock_guard lock(mutex_);
  files_.insert(files_.end(), paths);
}

void BoxAnswerer::Note(std::u16string entry) {
  std::lock_guard lock(mutex_);
  sequence_.push_back(std::move(entry));
}

std::vector<std::u16string> BoxAnswerer::Sequence() const {
  std::lock_guard lock(mutex_);
  return sequence_;
}

void BoxAnswerer::Clear() {
  std::lock_guard lock(mutex_);
  sequence_.clear();
}

void BoxAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  // A window shows again when a box it opened closes; it has been answered already.
  std::erase_if(handled_, [](const QPointer<QWidget>& window) { return window.isNull(); });
  if (std::find(handled_.begin(), handled_.end(), modal) != handled_.end()) return;
  // Each window is answered once, from the event loop rather than from this timer: an answer
  // may open the next window (the file dialog's overwrite question), which this timer must then
  // be free to answer.
  handled_.emplace_back(modal);
  auto later = [modal](auto action) {
    QMetaObject::invokeMethod(modal, std::move(action), Qt::QueuedConnection);
  };

  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    // The file dialog's overwrite question is answered Yes.
    if (qobject_cast<QFileDialog*>(box->parentWidget()) != nullptr) {
      Note(u"overwrite:" + FromQString(box->text()));
      later([box] { box->button(QMessageBox::Yes)->click(); });
      return;
    }
    const std::u16string entry = EntryOf(*box);
    Note(entry);
    if (on_box) on_box(entry);
    const QList<QAbstractButton*> buttons = box->buttons();
    int answer = platform::kIdYes;
    if (buttons.size() == 2) {
      std::lock_guard lock(mutex_);
      if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
      }
    }
    for (QAbstractButton* button : buttons) {
      const QMessageBox::ButtonRole role = box->buttonRole(button);
      if (buttons.size() == 1 || (answer == platform::kIdYes) == (role == QMessageBox::YesRole)) {
        later([button] { button->click(); });
        return;
      }
    }
    return;
  }

  if (auto* files = qobject_cast<QFileDialog*>(modal)) {
    Note(u"file:" + FromQString(files->windowTitle()));
    std::u16string path;
    {
      std::lock_guard lock(mutex_);
      if (!files_.empty()) {
        path = files_.front();
        files_.pop_front();
      }
    }
    if (path.empty()) {
      later([files] { files->reject(); });
      return;
    }
    later([files, path] {
      // Typed into the name field, as a user would.
      if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(platform::ToQString(path));
      }
      QMetaObject::invokeMethod(files, "accept");
    });
    return;
  }

  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    const std::u16string entry = u"dialog:" + FromQString(dialog->windowTitle());
    Note(entry);
    if (on_box) on_box(entry);
    later([dialog] { dialog->reject(); });  // Escape
  }
}

}  // namespace ombrix::test
