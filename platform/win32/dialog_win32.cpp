#include "platform/win32/dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace ombrix::platform {

namespace {

std::wstring Wide(std::u16string_view text) {
  return {text.begin(), text.end()};
}
std::u16string Narrow(const std::wstring& text) {
  return {text.begin(), text.end()};
}

HINSTANCE Instance() {
  return ::GetModuleHandleW(nullptr);
}

// Posted once per batch of notifications: the window delivers the newest of each when it comes.
UINT NotificationsWaiting() {
  static const UINT message = ::RegisterWindowMessageW(L"Ombrix.NotificationsWaiting");
  return message;
}

std::u16string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Narrow(text);
}

// A drop-down list through its CB_ messages.
class Win32ComboBox final : public ComboBox {
 public:
  explicit Win32ComboBox(HWND box) : box_(box) {}
  int AddString(std::u16string_view text) override {
    const std::wstring item = Wide(text);
    return static_cast<int>(
        ::SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())));
  }
  int GetCount() const override {
    return static_cast<int>(::SendMessageW(box_, CB_GETCOUNT, 0, 0));
  }
  int GetCurSel() const override {
    return static_cast<int>(::SendMessageW(box_, CB_GETCURSEL, 0, 0));
  }
  void SetCurSel(int position) override {
    ::SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  }
  std::u16string GetLBText(int position) const override {
    const LRESULT length = ::SendMessageW(box_, CB_GETLBTEXTLEN, static_cast<WPARAM>(position), 0);
    if (length == CB_ERR || length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(box_, CB_GETLBTEXT, static_cast<WPARAM>(position),
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Narrow(text);
  }

 private:
  HWND box_;
};

// The filter pairs as the file dialogs take them: each text zero-terminated, an empty one last.
std::wstring FilterText(std::span<const std::u16string_view> filter) {
  std::wstring text;
  for (const std::u16string_view part : filter) {
    text += Wide(part);
    text += L'\0';
  }
  text += L'\0';
  return text;
}

}  // namespace

Win32Dialog::Win32Dialog(const DialogTemplate& dialog, DialogHandler& handler, HWND owner)
    : template_(dialog), handler_(handler), owner_(owner) {}

Win32Dialog::~Win32Dialog() {
  if (!modal_ && hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    auto* self = reinterpret_cast<Win32Dialog*>(lparam);
    self->hwnd_ = hwnd;
    return self->handler_.OnInitDialog() ? TRUE : FALSE;
  }
  auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  return self != nullptr ? self->Handle(message, wparam, lparam) : FALSE;
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == NotificationsWaiting()) {
    DeliverNotifications();
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      // Clicks of buttons and notifying statics, Enter (1) and Escape or the close box (2); the
      // lists' and edits' own notifications are not commands.
      if (HIWORD(wparam) == BN_CLICKED) {
        handler_.OnCommand(LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == kSysCommandAbout) {
        handler_.OnSysCommand(static_cast<std::uint32_t>(wparam));
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      if (::IsIconic(hwnd_) && icon_ != nullptr) {
        PaintMinimised();
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    default:
      if (message >= WM_USER) {
        const std::intptr_t result = handler_.OnMessage(message, wparam, lparam);
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
  }
}

// The icon, centred in the client area of the minimised window.
void Win32Dialog::PaintMinimised() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(hwnd_, &paint);
  ::SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_);
  ::EndPaint(hwnd_, &paint);
}

bool Win32Dialog::OnWindowThread() const {
  return ::GetWindowThreadProcessId(hwnd_, nullptr) == ::GetCurrentThreadId();
}

std::intptr_t Win32Dialog::Send(std::uint32_t message, std::uintptr_t wparam,
                                std::intptr_t lparam) {
  FlushNotifications();
  return ::SendMessageW(hwnd_, message, wparam, lparam);
}

void Win32Dialog::Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  if (OnWindowThread()) {
    handler_.OnMessage(message, wparam, lparam);
    return;
  }
  bool waiting = false;
  {
    std::lock_guard lock(notify_mutex_);
    waiting = !latest_.empty();
    latest_.insert_or_assign(message, Parameters{wparam, lparam});
  }
  if (!waiting) ::PostMessageW(hwnd_, NotificationsWaiting(), 0, 0);
}

void Win32Dialog::DeliverNotifications() {
  std::map<std::uint32_t, Parameters> newest;
  {
    std::lock_guard lock(notify_mutex_);
    newest.swap(latest_);
  }
  for (const auto& [message, parameters] : newest) {
    handler_.OnMessage(message, parameters.wparam, parameters.lparam);
  }
}

// What was notified before a message or a box is handled before it: the posted wake-up may still
// be queued behind, so the notifications are delivered now, on the window's thread.
void Win32Dialog::FlushNotifications() {
  bool waiting = false;
  {
    std::lock_guard lock(notify_mutex_);
    waiting = !latest_.empty();
  }
  if (!waiting) return;
  if (OnWindowThread()) {
    DeliverNotifications();
  } else {
    ::SendMessageW(hwnd_, NotificationsWaiting(), 0, 0);
  }
}

int Win32Dialog::ShowMessageBox(std::u16string_view text, std::u16string_view title,
                                std::uint32_t flags) {
  FlushNotifications();
  return ::MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), flags);
}

int Win32Dialog::RunModal() {
  modal_ = true;
  result_ = static_cast<int>(::DialogBoxParamW(Instance(), MAKEINTRESOURCEW(template_.id), owner_,
                                               &DialogProc, reinterpret_cast<LPARAM>(this)));
  ended_ = true;
  return result_;
}

void Win32Dialog::ShowModeless() {
  modal_ = false;
  ::CreateDialogParamW(Instance(), MAKEINTRESOURCEW(template_.id), owner_, &DialogProc,
                       reinterpret_cast<LPARAM>(this));
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, SW_SHOW);
}

void Win32Dialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (modal_) {
    ::EndDialog(hwnd_, result);
  } else {
    ::ShowWindow(hwnd_, SW_HIDE);
  }
}

ComboBox& Win32Dialog::List(int id) {
  auto& list = lists_[id];
  if (!list) list = std::make_unique<Win32ComboBox>(Item(id));
  return *list;
}

void Win32Dialog::EnableControl(int id, bool enable) {
  ::EnableWindow(Item(id), enable);
}
bool Win32Dialog::IsControlEnabled(int id) const {
  return ::IsWindowEnabled(Item(id)) != 0;
}

int Win32Dialog::GetCheck(int id) const {
  return static_cast<int>(::SendMessageW(Item(id), BM_GETCHECK, 0, 0));
}
void Win32Dialog::SetCheck(int id, int state) {
  ::SendMessageW(Item(id), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Win32Dialog::SetReadOnly(int id, bool read_only) {
  ::SendMessageW(Item(id), EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
}
bool Win32Dialog::IsReadOnly(int id) const {
  return (::GetWindowLongW(Item(id), GWL_STYLE) & ES_READONLY) != 0;
}

std::u16string Win32Dialog::GetControlText(int id) const {
  return WindowText(Item(id));
}
void Win32Dialog::SetControlText(int id, std::u16string_view text) {
  ::SetWindowTextW(Item(id), Wide(text).c_str());
}

void Win32Dialog::FocusControl(int id) {
  ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
  ::SendMessageW(Item(id), EM_SETSEL, 0, -1);
}

void Win32Dialog::SetProgressRange(int id, int low, int high) {
  ::SendMessageW(Item(id), PBM_SETRANGE, 0, MAKELPARAM(low, high));
}
void Win32Dialog::SetProgressPos(int id, int position) {
  ::SendMessageW(Item(id), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
int Win32Dialog::GetProgressPos(int id) const {
  return static_cast<int>(::SendMessageW(Item(id), PBM_GETPOS, 0, 0));
}

void Win32Dialog::AppendSystemMenuItem(std::uint32_t command, std::u16string_view text) {
  HMENU menu = ::GetSystemMenu(hwnd_, FALSE);
  if (menu == nullptr) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, command, Wide(text).c_str());
}

void Win32Dialog::SetIcon(int icon, bool big) {
  icon_ = ::LoadIconW(Instance(), MAKEINTRESOURCEW(icon));
  ::SendMessageW(hwnd_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
}

std::optional<ChosenFile> Win32Dialog::ChooseFile(const FileDialogRequest& request) {
  constexpr DWORD kPathUnits = 32768;  // the longest path Windows takes
  std::vector<wchar_t> file(kPathUnits, L'\0');
  const std::wstring filter = FilterText(request.filter);
  const std::wstring title = Wide(request.title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kPathUnits;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags =
      OFN_HIDEREADONLY | OFN_EXPLORER | (request.overwrite_prompt ? OFN_OVERWRITEPROMPT : 0);
  const bool chosen = request.kind == FileDialogKind::kSave ? ::GetSaveFileNameW(&dialog)
                                                            : ::GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  const std::wstring path(file.data());
  const std::wstring name =
      dialog.nFileOffset < path.size() ? path.substr(dialog.nFileOffset) : path;
  return ChosenFile{.path = Narrow(path), .name = Narrow(name)};
}

std::unique_ptr<DialogHost> MakeDialog(const DialogTemplate& dialog, DialogHandler& handler,
                                       DialogHost* owner) {
  auto* parent = dynamic_cast<Win32Dialog*>(owner);
  return std::make_unique<Win32Dialog>(dialog, handler,
                                       parent != nullptr ? parent->hwnd() : nullptr);
}

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = 8;
  controls.dwICC = 0xFF;
  ::InitCommonControlsEx(&controls);
}

void OpenWebAddress(std::u16string_view address) {
  ::ShellExecuteW(nullptr, L"open", L"iexplore.exe", Wide(address).c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace ombrix::platform
