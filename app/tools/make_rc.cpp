// Writes the Windows resource script from the resources as data: the dialog templates, the string
// table, the icon, the manifest and the version block. The script is kept in the tree
// (app/ombrix.rc); a test checks that it is what this tool makes.
#include <cstdio>
#include <string>

#include "app/resources.h"

namespace {

using namespace ombrix;
using platform::ControlClass;

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A quoted resource string: quotes doubled, backslashes escaped.
std::string Quoted(std::u16string_view text) {
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    if (c == '"')
      out += "\"\"";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out + "\"";
}

const char* ClassName(ControlClass control_class) {
  switch (control_class) {
    case ControlClass::kButton:
      return "Button";
    case ControlClass::kStatic:
      return "Static";
    case ControlClass::kEdit:
      return "Edit";
    case ControlClass::kComboBox:
      return "ComboBox";
    case ControlClass::kProgressBar:
      return "msctls_progress32";
  }
  return "Static";
}

void Dialog(const platform::DialogTemplate& dialog) {
  std::printf("%d DIALOGEX 0, 0, %d, %d\n", dialog.id, dialog.width, dialog.height);
  std::printf("STYLE 0x%08X\n", dialog.style);
  if (dialog.ex_style != 0) std::printf("EXSTYLE 0x%08X\n", dialog.ex_style);
  std::printf("CAPTION %s\n", Quoted(dialog.caption).c_str());
  std::printf("FONT %d, %s, 0, 0, 0x1\n", dialog.point_size, Quoted(dialog.font).c_str());
  std::printf("BEGIN\n");
  constexpr std::uint32_t kChildVisible = platform::style::kChild | platform::style::kVisible;
  for (const platform::ControlTemplate& c : dialog.controls) {
    const auto& r = c.rect;
    if (c.control_class == ControlClass::kStatic && c.style == platform::style::kStaticIcon) {
      // The icon's resource number as the caption; CONTROL keeps the rectangle, ICON would not.
      std::printf("  CONTROL %d, %d, \"Static\", 0x%08X, %d, %d, %d, %d\n", c.icon, c.id,
                  kChildVisible | c.style, r.x, r.y, r.width, r.height);
      continue;
    }
    std::printf("  CONTROL %s, %d, \"%s\", 0x%08X, %d, %d, %d, %d\n", Quoted(c.caption).c_str(),
                c.id, ClassName(c.control_class), kChildVisible | c.style, r.x, r.y, r.width,
                r.height);
  }
  std::printf("END\n\n");
}

}  // namespace

int main() {
  std::printf("// Made by app/tools/make_rc from app/resources.cpp; do not edit.\n");
  std::printf("#pragma code_page(65001)\n\n");

  std::printf("LANGUAGE 0x09, 0x01  // English (United States), 1033\n");
  std::printf("1 24 \"ombrix.manifest\"\n\n");

  std::printf("LANGUAGE 0x04, 0x02  // Chinese (Simplified, PRC), 2052\n");
  std::printf("%d ICON \"icon/ombrix.ico\"\n\n", resource::IDR_MAINFRAME);
  for (const platform::DialogTemplate* dialog : resource::DialogTemplates()) Dialog(*dialog);

  std::printf("STRINGTABLE\nBEGIN\n");
  for (const int id : resource::kStringIds) {
    std::printf("  %d, %s\n", id, Quoted(resource::ResourceString(id)).c_str());
  }
  std::printf("END\n\n");

  const int* v = resource::kVersion;
  std::printf("1 VERSIONINFO\n");
  std::printf("FILEVERSION %d, %d, %d, %d\nPRODUCTVERSION %d, %d, %d, %d\n", v[0], v[1], v[2], v[3],
              v[0], v[1], v[2], v[3]);
  std::printf("FILEFLAGSMASK 0x3F\nFILEFLAGS 0x0\nFILEOS 0x40004\nFILETYPE 0x1\nFILESUBTYPE 0x0\n");
  std::printf("BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"080403a8\"\n    BEGIN\n");
  for (const auto& [name, value] : resource::kVersionStrings) {
    std::printf("      VALUE %s, %s\n", Quoted(name).c_str(), Quoted(value).c_str());
  }
  std::printf("    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n");
  std::printf("    VALUE \"Translation\", 0x0804, 936\n  END\nEND\n");
  return 0;
}
