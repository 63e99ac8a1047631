// The program's resources as data: the three dialog templates, the string table and the maker's
// texts. The Linux window is built from them and the Windows resource script is made from them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/resource.h"
#include "platform/dialog_template.h"

namespace ombrix::resource {

extern const platform::DialogTemplate kMainDialog;   // 102
extern const platform::DialogTemplate kMyAboutBox;   // 129
extern const platform::DialogTemplate kAboutDialog;  // 100

// All templates, for tools that walk them.
std::span<const platform::DialogTemplate* const> DialogTemplates();

// A string of the string table; empty when there is none.
std::u16string_view ResourceString(int id);
// The IDs the string table holds.
inline constexpr int kStringIds[] = {IDS_ABOUTBOX, 0xF110};

inline constexpr std::u16string_view kProgramTitle = u"Zerkano [Ombrix] 2010 Ver 1.6";
// The title of the framework's own boxes, such as the integer prompt.
inline constexpr std::u16string_view kApplicationName = u"Ombrix";
// The key under which the framework would keep its settings; nothing is stored there.
inline constexpr std::u16string_view kRegistryKey = u"应用程序向导生成的本地应用程序";

// The framework's own prompt when an edit does not hold an integer, in its string table.
inline constexpr int IDP_PARSE_INT = 0xF110;

// The version block: file and product version 1.6.0.0, strings for Chinese (PRC), code page 936.
inline constexpr int kVersion[4] = {1, 6, 0, 0};
struct VersionString {
  std::u16string_view name;
  std::u16string_view value;
};
inline constexpr VersionString kVersionStrings[] = {
    {u"CompanyName", u"Ombrix"},
    {u"FileDescription", kProgramTitle},
    {u"FileVersion", u"1.6"},
    {u"InternalName", u"Ombrix.exe"},
    {u"LegalCopyright", u"Copyright (C) 2026 Ombrix 开发者。按原样提供，不附带任何担保。"},
    {u"OriginalFilename", u"Ombrix.exe"},
    {u"ProductName", u"Ombrix"},
    {u"ProductVersion", u"1.6"},
};

// The maker's texts in the about boxes. The web address is also what the browser opens.
inline constexpr std::u16string_view kWebAddress = u"ombrix.example.org";
inline constexpr std::u16string_view kEmailAddress = u"ombrix@example.org";
inline constexpr std::u16string_view kMessagingNumber = u"未提供";
inline constexpr std::u16string_view kAboutSecondLine = u"磁盘扇区复制与清零工具";

}  // namespace ombrix::resource
