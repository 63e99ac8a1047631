// A dialog window built with Qt widgets from a dialog template: every control at its rectangle,
// converted from dialog units with the metrics of the dialog font, and every Windows behaviour
// the handlers rely on (commands, Enter and Escape, the close box, modal boxes from any thread).
#pragma once

#include <QDialog>
#include <QPointer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dialog.h"
#include "platform/qt/qt_combo_box.h"

class QComboBox;
class QMenu;

namespace ombrix::platform {

class TemplateDialog final : public QDialog, public DialogHost {
  Q_OBJECT

 public:
  TemplateDialog(const DialogTemplate& dialog, DialogHandler& handler, QWidget* owner);
  ~TemplateDialog() override;

  // DialogWindow: callable from any thread.
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  int ShowMessageBox(std::u16string_view text, std::u16string_view title,
                     std::uint32_t flags) override;

  // DialogHost: on the dialog's thread.
  int RunModal() override;
  void ShowModeless() override;
  void EndDialog(int result) override;
  bool IsEnded() const override { return ended_; }
  ComboBox& List(int id) override;
  void EnableControl(int id, bool enable) override;
  bool IsControlEnabled(int id) const override;
  int GetCheck(int id) const override;
  void SetCheck(int id, int state) override;
  void SetReadOnly(int id, bool read_only) override;
  bool IsReadOnly(int id) const override;
  std::u16string GetControlText(int id) const override;
  void SetControlText(int id, std::u16string_view text) override;
  void FocusControl(int id) override;
  void SetProgressRange(int id, int low, int high) override;
  void SetProgressPos(int id, int position) override;
  int GetProgressPos(int id) const override;
  void SetProgressText(int id, std::u16string_view text) override;
  bool ProgressBarShowsText() const override { return true; }
  void AppendSystemMenuItem(std::uint32_t command, std::u16string_view text) override;
  void SetIcon(int icon, bool big) override;
  std::optional<ChosenFile> ChooseFile(const FileDialogRequest& request) override;

  // The widget of a control, for the window's own tests.
  QWidget* Control(int id) const;
  const DialogTemplate& Template() const { return template_; }
  const DialogBaseUnits& BaseUnits() const { return units_; }
  QMenu* SystemMenu() const { return system_menu_.get(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void reject() override;

 private:
  // Runs the calls that other threads handed over (see OnDialogThread).
  Q_INVOKABLE void RunPendingCalls();
  void Build();
  QWidget* MakeControl(const ControlTemplate& control);
  void Command(int id);
  void Initialise();
  template <typename Call>
  auto OnDialogThread(Call call);
  // A child widget, owned here and destroyed before the dialog itself.
  template <typename Widget, typename... Args>
  Widget* Make(Args&&... args);

  const DialogTemplate& template_;
  DialogHandler& handler_;
  DialogBaseUnits units_;
  std::vector<std::unique_ptr<QWidget>> widgets_;
  std::map<int, QWidget*> controls_;
  std::map<int, std::unique_ptr<QtComboBox>> lists_;
  std::unique_ptr<QMenu> system_menu_;
  int default_command_ = 1;  // what Enter sends when no push button has the focus
  struct Parameters {
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  std::mutex calls_mutex_;
  std::deque<std::function<void()>> pending_calls_;
  // The newest notification of each message number whose delivery is queued and not yet run.
  std::map<std::uint32_t, Parameters> latest_;
  bool ended_ = false;
  bool initialised_ = false;
};

}  // namespace ombrix::platform
