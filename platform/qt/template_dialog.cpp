#include "platform/qt/template_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/qt/dialog_font.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/icons.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_text.h"

namespace ombrix::platform {

namespace {

constexpr std::uint32_t kButtonTypeMask = 0x0F;
constexpr int kIconPixels = 32;  // an icon static shows the icon at the system's icon size

// A static that reports clicks, as one with SS_NOTIFY does.
class NotifyingLabel final : public QLabel {
 public:
  NotifyingLabel(const QString& text, std::function<void()> clicked, QWidget* parent)
      : QLabel(text, parent), clicked_(std::move(clicked)) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    setPalette(palette);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint())) clicked_();
  }

 private:
  std::function<void()> clicked_;
};

bool IsPushButton(const ControlTemplate& control) {
  const std::uint32_t type = control.style & kButtonTypeMask;
  return control.control_class == ControlClass::kButton &&
         (type == style::kPushButton || type == style::kDefPushButton);
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialog, DialogHandler& handler, QWidget* owner)
    : QDialog(owner), template_(dialog), handler_(handler) {
  Build();
}

TemplateDialog::~TemplateDialog() = default;

template <typename Widget, typename... Args>
Widget* TemplateDialog::Make(Args&&... args) {
  auto widget = std::make_unique<Widget>(std::forward<Args>(args)..., this);
  Widget* made = widget.get();
  widgets_.push_back(std::move(widget));
  return made;
}

void TemplateDialog::Build() {
  const QFont font = DialogFont(template_.point_size);
  setFont(font);
  units_ = BaseUnitsOf(font);
  setWindowTitle(ToQString(template_.caption));

  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (template_.style & style::kSysMenu) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  if (template_.style & style::kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  setWindowFlags(flags);
  setFixedSize(units_.X(template_.width), units_.Y(template_.height));

  for (const ControlTemplate& control : template_.controls) {
    QWidget* widget = MakeControl(control);
    if (control.id != kNoId) controls_.emplace(control.id, widget);
    if (IsPushButton(control) && (control.style & kButtonTypeMask) == style::kDefPushButton) {
      default_command_ = control.id;
    }
  }
}

QWidget* TemplateDialog::MakeControl(const ControlTemplate& control) {
  const QString caption = ToQString(control.caption);
  const QRect rect(units_.X(control.rect.x), units_.Y(control.rect.y), units_.X(control.rect.width),
                   units_.Y(control.rect.height));
  const int id = control.id;
  QWidget* widget = nullptr;
  switch (control.control_class) {
    case ControlClass::kButton: {
      const std::uint32_t type = control.style & kButtonTypeMask;
      if (type == style::kGroupBox) {
        auto* frame = Make<QGroupBox>(caption);
        // A frame lies under the controls it surrounds and lets their clicks through.
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->setGeometry(rect);
        frame->lower();
        return frame;
      }
      if (type == style::kAutoCheckBox) {
        auto* box = Make<QCheckBox>(caption);
        QObject::connect(box, &QCheckBox::clicked, this, [this, id] { Command(id); });
        widget = box;
      } else {
        auto* button = Make<QPushButton>(caption);
        button->setAutoDefault(false);  // Enter is routed by the dialog, as on Windows
        QObject::connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
        widget = button;
      }
      break;
    }
    case ControlClass::kStatic: {
      if ((control.style & 0x1F) == style::kStaticIcon) {
        auto* icon = Make<QLabel>();
        icon->setPixmap(IconResource(control.icon).pixmap(kIconPixels, kIconPixels));
        icon->setGeometry(rect.x(), rect.y(), kIconPixels, kIconPixels);
        return icon;
      }
      QLabel* label = (control.style & style::kStaticNotify)
                          ? Make<NotifyingLabel>(caption, [this, id] { Command(id); })
                          : Make<QLabel>(caption);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlClass::kEdit: {
      auto* edit = Make<QLineEdit>(caption);
      widget = edit;
      break;
    }
    case ControlClass::kComboBox: {
      auto* box = Make<QComboBox>();
      box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      lists_.emplace(id, std::make_unique<QtComboBox>(*box));
      // The template's height is that of the dropped list; the field is as high as the font
      // needs.
      box->setGeometry(rect.x(), rect.y(), rect.width(), box->sizeHint().height());
      controls_.emplace(id, box);
      return box;
    }
    case ControlClass::kProgressBar: {
      auto* bar = Make<QProgressBar>();
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      bar->setAlignment(Qt::AlignCenter);
      widget = bar;
      break;
    }
  }
  widget->setGeometry(rect);
  return widget;
}

void TemplateDialog::Command(int id) {
  handler_.OnCommand(id);
}

void TemplateDialog::Initialise() {
  if (initialised_) return;
  initialised_ = true;
  handler_.OnInitDialog();
}

int TemplateDialog::RunModal() {
  Initialise();
  if (ended_) return result();
  return exec();
}

void TemplateDialog::ShowModeless() {
  Initialise();
  show();
}

void TemplateDialog::EndDialog(int result) {
  ended_ = true;
  done(result);
}

// Runs a call on the dialog's thread and waits for its result, as SendMessageW does for a window
// of another thread. The call and its completion pass through a mutex of our own, and Qt's queue
// only carries a wake-up without data: every access to the caller's data is then ordered in plain
// sight (and checkable by a thread sanitizer). Should the dialog be destroyed first, the caller
// waits for good: that happens only when the process ends with a worker still running.
template <typename Call>
auto TemplateDialog::OnDialogThread(Call call) {
  using Result = decltype(call());
  if (QThread::currentThread() == thread()) return call();

  Result result{};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  {
    std::lock_guard lock(calls_mutex_);
    pending_calls_.push_back([&] {
      result = call();
      std::lock_guard done_lock(mutex);
      done = true;
      finished.notify_one();
    });
  }
  QMetaObject::invokeMethod(this, "RunPendingCalls", Qt::QueuedConnection);
  std::unique_lock lock(mutex);
  finished.wait(lock, [&] { return done; });
  return result;
}

void TemplateDialog::RunPendingCalls() {
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(calls_mutex_);
      if (pending_calls_.empty()) return;
      call = std::move(pending_calls_.front());
      pending_calls_.pop_front();
    }
    call();
  }
}

std::intptr_t TemplateDialog::Send(std::uint32_t message, std::uintptr_t wparam,
                                   std::intptr_t lparam) {
  return OnDialogThread([&] { return handler_.OnMessage(message, wparam, lparam); });
}

// One delivery is queued per message number, behind whatever was queued before; it hands the
// newest parameters over when it runs. A later Send or box is queued behind it, so it is handled
// first.
void TemplateDialog::Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  if (QThread::currentThread() == thread()) {
    handler_.OnMessage(message, wparam, lparam);
    return;
  }
  {
    std::lock_guard lock(calls_mutex_);
    const bool queued = latest_.contains(message);
    latest_.insert_or_assign(message, Parameters{wparam, lparam});
    if (queued) return;
    pending_calls_.push_back([this, message] {
      Parameters newest{};
      {
        std::lock_guard taken(calls_mutex_);
        const auto found = latest_.find(message);
        newest = found->second;
        latest_.erase(found);
      }
      handler_.OnMessage(message, newest.wparam, newest.lparam);
    });
  }
  QMetaObject::invokeMethod(this, "RunPendingCalls", Qt::QueuedConnection);
}

int TemplateDialog::ShowMessageBox(std::u16string_view text, std::u16string_view title,
                                   std::uint32_t flags) {
  return OnDialogThread([&] { return ShowQtMessageBox(this, text, title, flags); });
}

QWidget* TemplateDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

ComboBox& TemplateDialog::List(int id) {
  return *lists_.at(id);
}

void TemplateDialog::EnableControl(int id, bool enable) {
  if (QWidget* widget = Control(id)) widget->setEnabled(enable);
}

bool TemplateDialog::IsControlEnabled(int id) const {
  const QWidget* widget = Control(id);
  return widget != nullptr && widget->isEnabled();
}

int TemplateDialog::GetCheck(int id) const {
  const auto* box = qobject_cast<const QCheckBox*>(Control(id));
  return box != nullptr && box->isChecked() ? 1 : 0;
}

void TemplateDialog::SetCheck(int id, int state) {
  if (auto* box = qobject_cast<QCheckBox*>(Control(id))) box->setChecked(state != 0);
}

void TemplateDialog::SetReadOnly(int id, bool read_only) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(id))) edit->setReadOnly(read_only);
}

bool TemplateDialog::IsReadOnly(int id) const {
  const auto* edit = qobject_cast<const QLineEdit*>(Control(id));
  return edit != nullptr && edit->isReadOnly();
}

std::u16string TemplateDialog::GetControlText(int id) const {
  const QWidget* widget = Control(id);
  if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return FromQString(edit->text());
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return FromQString(label->text());
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    return FromQString(button->text());
  }
  return {};
}

void TemplateDialog::SetControlText(int id, std::u16string_view text) {
  QWidget* widget = Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQString(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(ToQString(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(ToQString(text));
  }
}

void TemplateDialog::FocusControl(int id) {
  if (QWidget* widget = Control(id)) {
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
  }
}

void TemplateDialog::SetProgressRange(int id, int low, int high) {
  if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) bar->setRange(low, high);
}

void TemplateDialog::SetProgressPos(int id, int position) {
  if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) bar->setValue(position);
}

int TemplateDialog::GetProgressPos(int id) const {
  const auto* bar = qobject_cast<const QProgressBar*>(Control(id));
  return bar != nullptr ? bar->value() : 0;
}

void TemplateDialog::SetProgressText(int id, std::u16string_view text) {
  if (auto* bar = qobject_cast<QProgressBar*>(Control(id))) {
    // The bar would replace "%p", "%v" and "%m"; the program's texts hold none of them.
    bar->setFormat(ToQString(text));
    bar->setTextVisible(!text.empty());
  }
}

void TemplateDialog::AppendSystemMenuItem(std::uint32_t command, std::u16string_view text) {
  if (!system_menu_) system_menu_ = std::make_unique<QMenu>();
  system_menu_->addSeparator();
  QAction* item = system_menu_->addAction(ToQString(text));
  QObject::connect(item, &QAction::triggered, this,
                   [this, command] { handler_.OnSysCommand(command); });
}

void TemplateDialog::SetIcon(int icon, bool big) {
  // One Qt icon carries every size: the small one is the same icon.
  if (big || windowIcon().isNull()) setWindowIcon(IconResource(icon));
}

std::optional<ChosenFile> TemplateDialog::ChooseFile(const FileDialogRequest& request) {
  return RunQtFileDialog(this, request);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      // Enter presses the push button that has the focus, else sends the default command.
      if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
        button->click();
      } else {
        Command(default_command_);
      }
      return;
    }
  }
  QDialog::keyPressEvent(event);  // Escape ends up in reject()
}

void TemplateDialog::reject() {
  Command(kIdCancel);
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
  // The close box is command 2, as Escape; the handler decides whether the dialog ends.
  event->ignore();
  if (!ended_) Command(kIdCancel);
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
  if (system_menu_) system_menu_->exec(event->globalPos());
}

std::unique_ptr<DialogHost> MakeDialog(const DialogTemplate& dialog, DialogHandler& handler,
                                       DialogHost* owner) {
  return std::make_unique<TemplateDialog>(dialog, handler, dynamic_cast<TemplateDialog*>(owner));
}

}  // namespace ombrix::platform
