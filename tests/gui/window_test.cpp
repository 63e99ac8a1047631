// The window itself: built as the templates say, readable, and the commands around the dialog
// (leaving, the about boxes, the system menu item, the web link).
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/resources.h"
#include "platform/qt/qt_text.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/notification_order.h"
#include "tests/support/temp_dir.h"
#include "ui/about_boxes.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using platform::ControlClass;
using platform::kIdNo;
using platform::kIdYes;
using Entries = std::vector<std::u16string>;

// An environment variable set for the length of a test, then as it was.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Catches the addresses the program hands to the desktop's browser.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

// Every control of a template sits at its rectangle, converted with the dialog font's units, and
// every caption fits its control in that font.
void ExpectBuiltAsTemplate(platform::TemplateDialog& window) {
  const platform::DialogTemplate& dialog = window.Template();
  const platform::DialogBaseUnits& units = window.BaseUnits();
  EXPECT_EQ(window.size(), QSize(units.X(dialog.width), units.Y(dialog.height)));
  EXPECT_EQ(platform::FromQString(window.windowTitle()), dialog.caption);
  for (const platform::ControlTemplate& control : dialog.controls) {
    const auto& r = control.rect;
    const QRect expected(units.X(r.x), units.Y(r.y), units.X(r.width), units.Y(r.height));
    QWidget* widget = control.id != platform::kNoId ? window.Control(control.id) : nullptr;
    if (widget == nullptr) {
      // Statics and frames without ID: find them by place.
      for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->geometry().topLeft() == expected.topLeft()) widget = child;
      }
    }
    const std::string what = platform::ToQString(control.caption).toStdString() + " (" +
                             std::to_string(control.id) + ")";
    ASSERT_NE(widget, nullptr) << what;
    if (control.control_class == ControlClass::kComboBox) {
      // Its height is the field's; the template's is the dropped list's.
      EXPECT_EQ(widget->geometry().topLeft(), expected.topLeft()) << what;
      EXPECT_EQ(widget->width(), expected.width()) << what;
      EXPECT_LE(widget->height(), expected.height()) << what;
    } else if (control.style == platform::style::kStaticIcon) {
      EXPECT_EQ(widget->geometry().topLeft(), expected.topLeft()) << what;
    } else {
      EXPECT_EQ(widget->geometry(), expected) << what;
    }
    if (control.caption.empty()) continue;

    const QFontMetrics metrics(widget->font());
    const int text = metrics.horizontalAdvance(platform::ToQString(control.caption));
    int room = widget->width();
    if (qobject_cast<QPushButton*>(widget) != nullptr) {
      room -= 2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin) / 2;
    } else if (qobject_cast<QCheckBox*>(widget) != nullptr) {
      room -= widget->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
              widget->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    }
    EXPECT_LE(text, room) << what << " is clipped";
    EXPECT_LE(metrics.height(), widget->height()) << what << " is clipped";
  }
}

class WindowTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    AddDrive("sda", "8:0", 1 << 20);
    AddDrive("sdb", "8:16", 2 << 20);
  }

  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window(), &press);
  }
};

TEST_F(WindowTest, MainDialogIsBuiltAsItsTemplateAndStartsIdle) {
  Open();
  ExpectBuiltAsTemplate(window());
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
  EXPECT_EQ(Selection(IDC_SOURCE_LIST), -1);
  EXPECT_EQ(Selection(IDC_TARGET_LIST), -1);
  EXPECT_EQ(window().GetCheck(IDC_RANGE_OPTION), 0);
  EXPECT_TRUE(window().IsReadOnly(IDC_START_SECTOR));
  EXPECT_TRUE(window().IsReadOnly(IDC_SECTOR_COUNT));
  EXPECT_EQ(EditText(IDC_START_SECTOR), u"0");
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"0");
  EXPECT_EQ(window().GetProgressPos(IDC_PROGRESS), 0);
  EXPECT_FALSE(window().windowIcon().isNull());
  EXPECT_EQ(window().List(IDC_SOURCE_LIST).GetLBText(1), u"HD1: Disk sdb    2.00 MB");

  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  EXPECT_TRUE(window().grab().save(
      QString::fromStdString((ArtefactDir() / "main-dialog-idle.png").string())));
}

// A worker's progress does not wait for the window: of the reports made while the window was
// away only the newest is handled, and a message sent after them comes after it.
TEST(DialogNotifications, AreFoldedIntoTheNewestAndHandledBeforeWhatIsSentAfterThem) {
  const std::vector<HandledMessage> handled =
      NotifyThenSend(kMainDialog, [] { QApplication::processEvents(QEventLoop::AllEvents, 10); });
  EXPECT_EQ(handled, (std::vector<HandledMessage>{
                         {kNotifiedMessage, 2000}, {kSentMessage, 0}, {kNotifiedMessage, 5000}}));
}

TEST_F(WindowTest, AboutBoxesAreBuiltAsTheirTemplates) {
  Open();
  for (const bool system_menu_box : {false, true}) {
    std::unique_ptr<CDialog> box;
    if (system_menu_box) {
      box = std::make_unique<CAboutDlg>(dialog_.get());
    } else {
      box = std::make_unique<CMyAboutBox>(dialog_.get());
    }
    box->Create();
    auto& about = dynamic_cast<platform::TemplateDialog&>(box->host());
    SCOPED_TRACE(about.Template().id);
    ExpectBuiltAsTemplate(about);
    const std::string file = system_menu_box ? "about-dialog.png" : "about-box.png";
    EXPECT_TRUE(about.grab().save(QString::fromStdString((ArtefactDir() / file).string())));
    box->EndDialog(platform::kIdCancel);
  }
}

enum class Leave { kExitButton, kEscape, kCloseBox };

class LeaveTest : public WindowTest,
                  public ::testing::WithParamInterface<std::tuple<Leave, int>> {};

TEST_P(LeaveTest, AsksBeforeTheDialogEnds) {
  const auto [how, answer] = GetParam();
  Open();
  answerer_.Answers({answer});
  switch (how) {
    case Leave::kExitButton:
      Click(IDC_EXIT);
      break;
    case Leave::kEscape:
      Key(Qt::Key_Escape);
      break;
    case Leave::kCloseBox:
      window().close();
      break;
  }
  EXPECT_EQ(Sequence(), (Entries{u"box(提示,68):" + std::u16string(texts::kAskExit)}));
  EXPECT_EQ(window().IsEnded(), answer == kIdYes);
  if (answer == kIdYes) {
    EXPECT_EQ(window().result(), platform::kIdCancel);
  }
}

std::string LeaveName(const ::testing::TestParamInfo<std::tuple<Leave, int>>& info) {
  const char* ways[] = {"ExitButton", "Escape", "CloseBox"};
  return std::string(ways[static_cast<int>(std::get<0>(info.param))]) +
         (std::get<1>(info.param) == kIdYes ? "Yes" : "No");
}

INSTANTIATE_TEST_SUITE_P(Ways, LeaveTest,
                         ::testing::Combine(::testing::Values(Leave::kExitButton, Leave::kEscape,
                                                              Leave::kCloseBox),
                                            ::testing::Values(kIdYes, kIdNo)),
                         LeaveName);

TEST_F(WindowTest, EnterOpensTheInformationBoxUnlessAButtonHasTheFocus) {
  Open();
  Key(Qt::Key_Return);
  EXPECT_EQ(Sequence(), (Entries{u"dialog:关 于"}));

  answerer_.Clear();
  answerer_.Answers({kIdNo});
  window().Control(IDC_COPY)->setFocus();
  Key(Qt::Key_Return);
  EXPECT_EQ(Sequence(), (Entries{u"question:是否开始复制 ？"}));
}

TEST_F(WindowTest, SystemMenuItemOpensTheAboutDialog) {
  Open();
  QMenu* menu = window().SystemMenu();
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_TRUE(actions[0]->isSeparator());
  EXPECT_EQ(actions[1]->text(), QStringLiteral("关于 Ombrix(&A)..."));
  actions[1]->trigger();
  EXPECT_EQ(Sequence(), (Entries{u"dialog:关于 Ombrix"}));
}

TEST_F(WindowTest, WebLinksOpenTheMakersPage) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
  Open();
  auto* link = qobject_cast<QLabel*>(window().Control(IDC_WEB_LINK));
  ASSERT_NE(link, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(link, &press);
  QApplication::sendEvent(link, &release);

  CMyAboutBox box(dialog_.get());
  box.Create();
  box.OnCommand(IDC_ABOUT_WEB_LINK);
  box.EndDialog(platform::kIdCancel);
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

  ASSERT_EQ(catcher.urls.size(), 2u);
  for (const QUrl& url : catcher.urls) {
    EXPECT_EQ(url.host(), platform::ToQString(kWebAddress));
  }
}

// Made root by pkexec, the program opens the browser as the user who asked for the rights: here
// "nobody", with an xdg-open of the test's own that notes who runs it and for what.
TEST_F(WindowTest, ElevatedTheWebLinkOpensTheBrowserAsTheUserWhoAskedForRights) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, as pkexec makes the program";
  namespace fs = std::filesystem;
  // A folder "nobody" can reach whatever TMPDIR says: under /tmp, which everyone may enter.
  std::string pattern = "/tmp/ombrix-browser-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path folder = pattern;
  const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removed(
      &folder, [](const fs::path* p) { fs::remove_all(*p); });
  const fs::path noted = folder / "noted";
  WriteFile(noted, "");
  WriteFile(folder / "xdg-open",
            "#!/bin/sh\necho \"$(id -u) $(id -g) $1 $DISPLAY\" > " + noted.string() + "\n");
  const fs::perms readable_and_runnable = fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec;
  fs::permissions(folder, readable_and_runnable);
  fs::permissions(folder / "xdg-open", readable_and_runnable);
  fs::permissions(noted, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                            fs::perms::others_exec));
  const std::string old_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  const ScopedVariable path("PATH", folder.string() + ":" + old_path);
  const ScopedVariable user("PKEXEC_UID", "65534");
  const ScopedVariable display("DISPLAY", ":77");
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");

  Open();
  CMyAboutBox box(dialog_.get());
  box.Create();
  box.OnCommand(IDC_ABOUT_WEB_LINK);
  box.EndDialog(platform::kIdCancel);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ReadFile(noted).empty() && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  EXPECT_EQ(ReadFile(noted), "65534 65534 http://ombrix.example.org :77\n");
  EXPECT_TRUE(catcher.urls.empty());  // never the desktop's way, which would be root's
}

}  // namespace
}  // namespace ombrix::test

#include "window_test.moc"
