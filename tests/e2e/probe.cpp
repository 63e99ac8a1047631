// What a person sees on the screen of a Wine session, for the end-to-end tests that drive the real
// Ombrix.exe from outside: every visible top-level window with its title and class, and each of
// its controls with ID, class, text, state and centre in screen coordinates. It looks and never
// touches: clicks and keys come from the X server's side (xdotool).
//
//   probe.exe      one block per window, one line per control, UTF-8
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

// Quoted on one line: newlines and tabs as \n and \t, quotes and backslashes escaped.
std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      continue;
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::wstring Text(HWND window) {
  // Sent, not read from the window structure: a combo box answers with its selected item.
  const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got =
      ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

void Describe(HWND window, const char* kind) {
  RECT r{};
  ::GetWindowRect(window, &r);
  std::printf("%s %s class=%s rect=%ld,%ld,%ld,%ld enabled=%d", kind, Quoted(Text(window)).c_str(),
              Utf8(ClassOf(window)).c_str(), r.left, r.top, r.right, r.bottom,
              ::IsWindowEnabled(window) ? 1 : 0);
}

BOOL CALLBACK EachControl(HWND control, LPARAM) {
  if (!::IsWindowVisible(control)) return TRUE;
  std::printf("  control %d ", ::GetDlgCtrlID(control));
  Describe(control, "");
  RECT r{};
  ::GetWindowRect(control, &r);
  const std::wstring cls = ClassOf(control);
  int extra = -1;
  if (_wcsicmp(cls.c_str(), L"button") == 0) {
    extra = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
  } else if (_wcsicmp(cls.c_str(), L"msctls_progress32") == 0) {
    extra = static_cast<int>(::SendMessageW(control, 0x0408 /* PBM_GETPOS */, 0, 0));
  } else if (_wcsicmp(cls.c_str(), L"combobox") == 0) {
    extra = static_cast<int>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
  }
  std::printf(" centre=%ld,%ld value=%d\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2, extra);
  return TRUE;
}

BOOL CALLBACK EachWindow(HWND window, LPARAM) {
  if (!::IsWindowVisible(window)) return TRUE;
  Describe(window, "window");
  std::printf("\n");
  ::EnumChildWindows(window, EachControl, 0);
  return TRUE;
}

}  // namespace

int main() {
  ::EnumWindows(EachWindow, 0);
  std::fflush(stdout);
  return 0;
}
