// The Windows program's main dialog, run from its resource template by the system's dialog
// manager (under Wine and a virtual display here): every control of the template is there with its
// class, caption and rectangle; the dialog starts idle; a screenshot is kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/resources.h"
#include "platform/drive_path.h"
#include "platform/win32/device_win32.h"
#include "platform/win32/dialog_win32.h"
#include "tests/support/notification_order.h"
#include "transfer/transfer.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {
namespace {

using namespace resource;

std::u16string Text(HWND window) {
  std::array<wchar_t, 512> text{};
  const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return {text.data(), text.data() + length};
}

std::string ClassName(HWND window) {
  std::array<char, 64> name{};
  ::GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  std::string text(name.data());
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const char* ExpectedClass(platform::ControlClass control_class) {
  switch (control_class) {
    case platform::ControlClass::kButton:
      return "button";
    case platform::ControlClass::kStatic:
      return "static";
    case platform::ControlClass::kEdit:
      return "edit";
    case platform::ControlClass::kComboBox:
      return "combobox";
    case platform::ControlClass::kProgressBar:
      return "msctls_progress32";
  }
  return "";
}

// Serves the dialog's messages for a while, as its modal loop would.
void Pump(int milliseconds) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  while (::GetTickCount() < end) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(10);
  }
}

// A PNG of 32-bit BGRA rows, stored without compression: enough for a screenshot artefact.
void WritePng(const std::filesystem::path& path, int width, int height,
              const std::vector<std::uint8_t>& bgra) {
  auto crc = [](const std::vector<std::uint8_t>& bytes, std::size_t from) {
    std::uint32_t c = 0xFFFFFFFF;
    for (std::size_t i = from; i < bytes.size(); ++i) {
      c ^= bytes[i];
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
    }
    return ~c;
  };
  auto be32 = [](std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
  };
  auto chunk = [&](std::vector<std::uint8_t>& out, const char* type,
                   const std::vector<std::uint8_t>& data) {
    be32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    be32(out, crc(out, start));
  };
  std::vector<std::uint8_t> raw;  // filter byte 0, then RGB for every row
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const std::size_t p = (static_cast<std::size_t>(y) * width + x) * 4;
      raw.insert(raw.end(), {bgra[p + 2], bgra[p + 1], bgra[p]});
    }
  }
  std::vector<std::uint8_t> z{0x78, 0x01};  // zlib header, then stored blocks
  std::uint32_t a = 1, b = 0;
  for (const std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    if (raw.empty()) break;
  }
  be32(z, (b << 16) | a);
  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  be32(header, static_cast<std::uint32_t>(width));
  be32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

void Screenshot(HWND window, const std::filesystem::path& path) {
  RECT r{};
  ::GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  WritePng(
      path, width, height,
      std::vector<std::uint8_t>(pixels, pixels + static_cast<std::size_t>(width) * height * 4));
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

// Image files through the real device layer, and no drives at all: no test opens a real disk.
class NoDrives final : public platform::DeviceAccess {
 public:
  void SnapshotDrives() override {}
  Opened Open(std::u16string_view path, platform::Access access, platform::Share share,
              platform::Disposition disposition) override {
    if (platform::ParseDrivePath(path)) return {nullptr, platform::OpenError::kNotFound};
    return files_.Open(path, access, share, disposition);
  }

 private:
  platform::Win32DeviceAccess files_;
};

TEST(MainDialog, RunsFromItsResourceTemplate) {
  platform::InitCommonControls();
  NoDrives devices;
  auto source = std::make_unique<MediaTable>();
  auto target = std::make_unique<MediaTable>();
  COmbrixDlg dialog(devices, *source, *target);
  dialog.Create();
  auto& window = dynamic_cast<platform::Win32Dialog&>(dialog.host());
  HWND hwnd = window.hwnd();
  ASSERT_NE(hwnd, nullptr);
  Pump(500);

  EXPECT_EQ(Text(hwnd), kMainDialog.caption);
  for (const platform::ControlTemplate& control : kMainDialog.controls) {
    if (control.id == platform::kNoId) continue;
    SCOPED_TRACE(control.id);
    HWND item = ::GetDlgItem(hwnd, control.id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ClassName(item), ExpectedClass(control.control_class));
    if (control.control_class != platform::ControlClass::kComboBox &&
        control.control_class != platform::ControlClass::kEdit) {
      EXPECT_EQ(Text(item), control.caption);
    }
    // The dialog manager converts position and size separately, as MapDialogRect does each.
    RECT place{control.rect.x, control.rect.y, 0, 0};
    RECT size{0, 0, control.rect.width, control.rect.height};
    ::MapDialogRect(hwnd, &place);
    ::MapDialogRect(hwnd, &size);
    RECT actual{};
    ::GetWindowRect(item, &actual);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, place.left);
    EXPECT_EQ(actual.top, place.top);
    EXPECT_EQ(actual.right - actual.left, size.right);
    if (control.control_class != platform::ControlClass::kComboBox) {
      EXPECT_EQ(actual.bottom - actual.top, size.bottom);
    }
  }

  // Idle, as the dialog starts: only the stop button disabled, the edits read-only showing 0.
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_STOP)));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_COPY)));
  EXPECT_TRUE(window.IsReadOnly(IDC_START_SECTOR));
  EXPECT_EQ(window.GetControlText(IDC_SECTOR_COUNT), u"0");
  EXPECT_EQ(window.List(IDC_SOURCE_LIST).GetCurSel(), -1);
  EXPECT_NE(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);

  // Progress shows in the status line under the bar; the caption stays the template's.
  window.Send(WM_TRANSFER_PROGRESS, 42, 0);
  Pump(100);
  EXPECT_EQ(::SendMessageW(::GetDlgItem(hwnd, IDC_PROGRESS), PBM_GETPOS, 0, 0), 42);
  EXPECT_EQ(Text(::GetDlgItem(hwnd, IDC_PROGRESS_STATUS)), u"42 %");
  EXPECT_EQ(Text(hwnd), kMainDialog.caption);

  const std::filesystem::path artefacts = OMBRIX_ARTEFACT_DIR;
  std::filesystem::create_directories(artefacts);
  Screenshot(hwnd, artefacts / "windows-main-dialog.png");
  window.Send(WM_TRANSFER_DONE, 0, 0);
  EXPECT_EQ(Text(::GetDlgItem(hwnd, IDC_PROGRESS_STATUS)), u"");
  dialog.EndDialog(platform::kIdCancel);
}

// A worker's progress does not wait for the window: of the reports posted while the window was
// away only the newest is handled, and a message sent after them comes after it, although
// Windows delivers sent messages before posted ones.
TEST(DialogNotifications, AreFoldedIntoTheNewestAndHandledBeforeWhatIsSentAfterThem) {
  platform::InitCommonControls();
  const std::vector<test::HandledMessage> handled =
      test::NotifyThenSend(kMainDialog, [] { Pump(10); });
  EXPECT_EQ(handled, (std::vector<test::HandledMessage>{{test::kNotifiedMessage, 2000},
                                                        {test::kSentMessage, 0},
                                                        {test::kNotifiedMessage, 5000}}));
}

}  // namespace
}  // namespace ombrix
