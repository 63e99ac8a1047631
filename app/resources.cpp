#include "app/resources.h"

#include <array>

#include "ui/data_exchange.h"

namespace ombrix::resource {

namespace {

using platform::ControlClass;
using platform::ControlTemplate;
using platform::DialogTemplate;
using platform::kNoId;
namespace style = platform::style;

constexpr std::uint32_t kButton = style::kPushButton | style::kTabStop;
constexpr std::uint32_t kDefaultButton = style::kDefPushButton | style::kTabStop;
constexpr std::uint32_t kFrame = style::kGroupBox;
constexpr std::uint32_t kList = style::kDropDownList | style::kVScroll | style::kTabStop;
constexpr std::uint32_t kEdit = style::kAutoHScroll | style::kBorder | style::kTabStop;
constexpr std::uint32_t kLabel = style::kStaticLeft;
constexpr std::uint32_t kLink = style::kStaticLeft | style::kStaticNotify;

constexpr auto B = ControlClass::kButton;
constexpr auto S = ControlClass::kStatic;
constexpr auto E = ControlClass::kEdit;
constexpr auto C = ControlClass::kComboBox;
constexpr auto P = ControlClass::kProgressBar;

constexpr std::array kMainControls{
    ControlTemplate{IDC_ABOUT, B, u"关  于", {209, 128, 50, 14}, kButton},
    ControlTemplate{IDC_EXIT, B, u"退  出", {262, 128, 50, 14}, kButton},
    ControlTemplate{kNoId, S, u"源硬盘 ：", {11, 20, 31, 8}, kLabel},
    ControlTemplate{kNoId, S, u"目标硬盘 ：", {11, 49, 38, 8}, kLabel},
    ControlTemplate{IDC_SOURCE_LIST, C, u"", {11, 32, 154, 30}, kList},
    ControlTemplate{IDC_TARGET_LIST, C, u"", {11, 61, 154, 30}, kList},
    ControlTemplate{IDC_RANGE_OPTION,
                    B,
                    u"高级选项",
                    {175, 12, 43, 10},
                    style::kAutoCheckBox | style::kTabStop},
    ControlTemplate{kNoId, B, u"", {175, 19, 130, 64}, kFrame},
    ControlTemplate{IDC_START_SECTOR, E, u"", {233, 31, 65, 14}, kEdit},
    ControlTemplate{IDC_SECTOR_COUNT, E, u"", {233, 61, 65, 14}, kEdit},
    ControlTemplate{kNoId, S, u"起始扇区号：", {190, 33, 42, 8}, kLabel},
    ControlTemplate{kNoId, S, u"需复制扇区数：", {183, 63, 49, 8}, kLabel},
    ControlTemplate{IDC_PROGRESS, P, u"", {7, 101, 252, 14}, style::kBorder},
    ControlTemplate{IDC_STOP, B, u"停止操作", {262, 101, 50, 14}, kButton},
    ControlTemplate{kNoId, B, u"", {7, 12, 163, 71}, kFrame},
    ControlTemplate{IDC_COPY, B, u"开始复制", {11, 128, 50, 14}, kButton},
    ControlTemplate{IDC_ZERO, B, u"目标硬盘清零", {83, 128, 50, 14}, kButton},
    ControlTemplate{IDC_SOURCE_IMAGE, B, u"镜像", {144, 17, 21, 13}, kButton},
    ControlTemplate{IDC_TARGET_IMAGE, B, u"镜像", {144, 47, 21, 13}, kButton},
    ControlTemplate{IDC_SWAP, B, u"交  换", {11, 84, 35, 14}, kButton},
    ControlTemplate{IDC_DETAILS, B, u"详细信息", {105, 84, 35, 14}, kButton},
    ControlTemplate{IDC_RESET, B, u"重  置", {58, 84, 35, 14}, kButton},
    ControlTemplate{IDC_WEB_LINK, S, kWebAddress, {175, 87, 109, 8}, kLink},
    ControlTemplate{IDC_PROGRESS_STATUS, S, u"", {7, 117, 195, 8}, kLabel},
    ControlTemplate{
        IDC_VERIFY, B, u"复制后校验", {209, 116, 60, 10}, style::kAutoCheckBox | style::kTabStop},
};

constexpr std::array kMyAboutControls{
    ControlTemplate{IDC_ABOUT_CLOSE, B, u"确 定", {109, 67, 50, 14}, kButton},
    ControlTemplate{kNoId, S, kProgramTitle, {14, 14, 130, 8}, kLabel},
    ControlTemplate{kNoId, S, u"博客 ：", {13, 29, 27, 8}, kLabel},
    ControlTemplate{IDC_ABOUT_WEB_LINK, S, kWebAddress, {41, 29, 110, 8}, kLink},
    ControlTemplate{kNoId, S, u"E-Mail ：", {10, 41, 30, 8}, kLabel},
    ControlTemplate{kNoId, S, kEmailAddress, {41, 41, 83, 8}, kLabel},
    ControlTemplate{kNoId, S, u"QQ ：", {18, 53, 22, 8}, kLabel},
    ControlTemplate{kNoId, S, kMessagingNumber, {41, 53, 92, 8}, kLabel},
};

constexpr std::array kAboutControls{
    ControlTemplate{kNoId, S, u"", {14, 14, 21, 20}, style::kStaticIcon, IDR_MAINFRAME},
    ControlTemplate{kNoId, S, u"Ombrix，1.0 版", {42, 14, 114, 8}, kLabel},
    ControlTemplate{kNoId, S, kAboutSecondLine, {42, 26, 114, 8}, kLabel},
    ControlTemplate{IDC_ABOUT_OK, B, u"确定", {113, 41, 50, 14}, kDefaultButton | style::kGroup},
};

constexpr std::u16string_view kShellFont = u"MS Shell Dlg";

}  // namespace

const DialogTemplate kMainDialog{
    .id = IDD_OMBRIX_DIALOG,
    .caption = kProgramTitle,
    .width = 319,
    .height = 149,
    .font = kShellFont,
    .point_size = 9,
    .style = style::kPopup | style::kVisible | style::kCaption | style::kSysMenu |
             style::kMinimizeBox | style::kModalFrame | style::kShellFont,
    .ex_style = style::kExAppWindow,
    .controls = kMainControls,
};

const DialogTemplate kMyAboutBox{
    .id = IDD_MY_ABOUT_BOX,
    .caption = u"关 于",
    .width = 166,
    .height = 88,
    .font = kShellFont,
    .point_size = 8,
    .style = style::kPopup | style::kCaption | style::kModalFrame | style::kShellFont,
    .controls = kMyAboutControls,
};

const DialogTemplate kAboutDialog{
    .id = IDD_ABOUTBOX,
    .caption = u"关于 Ombrix",
    .width = 170,
    .height = 62,
    .font = kShellFont,
    .point_size = 9,
    .style =
        style::kPopup | style::kCaption | style::kSysMenu | style::kModalFrame | style::kShellFont,
    .controls = kAboutControls,
};

std::span<const platform::DialogTemplate* const> DialogTemplates() {
  static constexpr std::array<const DialogTemplate*, 3> kAll{&kAboutDialog, &kMainDialog,
                                                             &kMyAboutBox};
  return kAll;
}

std::u16string_view ResourceString(int id) {
  switch (id) {
    case IDS_ABOUTBOX:
      return u"关于 Ombrix(&A)...";
    case IDP_PARSE_INT:
      return kIntegerPrompt;
    default:
      return {};
  }
}

}  // namespace ombrix::resource
