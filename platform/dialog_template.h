// A dialog template as data: caption, size, font, styles and every control with its ID, class,
// caption and rectangle in dialog units. Each platform builds its window from the same data, and
// the Windows resource script can be generated from it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ombrix::platform {

// Window and control styles with the values Windows gives them.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kTabStop = 0x00010000;
inline constexpr std::uint32_t kModalFrame = 0x80;  // DS_MODALFRAME
inline constexpr std::uint32_t kSetFont = 0x40;     // DS_SETFONT
inline constexpr std::uint32_t kFixedSys = 0x08;    // DS_FIXEDSYS
inline constexpr std::uint32_t kShellFont = kSetFont | kFixedSys;
inline constexpr std::uint32_t kExAppWindow = 0x00040000;  // WS_EX_APPWINDOW

inline constexpr std::uint32_t kPushButton = 0x0;      // BS_PUSHBUTTON
inline constexpr std::uint32_t kDefPushButton = 0x1;   // BS_DEFPUSHBUTTON
inline constexpr std::uint32_t kAutoCheckBox = 0x3;    // BS_AUTOCHECKBOX
inline constexpr std::uint32_t kGroupBox = 0x7;        // BS_GROUPBOX
inline constexpr std::uint32_t kDropDownList = 0x3;    // CBS_DROPDOWNLIST
inline constexpr std::uint32_t kAutoHScroll = 0x80;    // ES_AUTOHSCROLL
inline constexpr std::uint32_t kStaticLeft = 0x0;      // SS_LEFT
inline constexpr std::uint32_t kStaticIcon = 0x3;      // SS_ICON
inline constexpr std::uint32_t kStaticNotify = 0x100;  // SS_NOTIFY
}  // namespace style

enum class ControlClass { kButton, kStatic, kEdit, kComboBox, kProgressBar };

// The ID of statics and frames that nobody addresses.
inline constexpr int kNoId = -1;

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct ControlTemplate {
  int id = kNoId;
  ControlClass control_class = ControlClass::kStatic;
  std::u16string_view caption;
  DialogRect rect;
  std::uint32_t style =
      0;         // the class's own style bits and WS_* bits, WS_CHILD | WS_VISIBLE implied
  int icon = 0;  // the icon resource of an icon static
};

struct DialogTemplate {
  int id = 0;
  std::u16string_view caption;
  int width = 0, height = 0;  // dialog units
  std::u16string_view font;
  int point_size = 9;
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  std::span<const ControlTemplate> controls;
};

// Dialog units to pixels, as Windows converts them: from the dialog font's average character
// width (base_x) and height (base_y), x * base_x / 4 and y * base_y / 8, rounded.
struct DialogBaseUnits {
  int base_x = 0;
  int base_y = 0;
  int X(int units) const { return MulDiv(units, base_x, 4); }
  int Y(int units) const { return MulDiv(units, base_y, 8); }

 private:
  static int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
  }
};

// Base width from the extent of "A".."Z" "a".."z" in the dialog font, as Windows takes it.
inline constexpr int BaseWidthFromAlphabetExtent(int extent_of_52_letters) {
  return (extent_of_52_letters / 26 + 1) / 2;
}

}  // namespace ombrix::platform
