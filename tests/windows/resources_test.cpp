// The resources of this build's Ombrix.exe (i686 or x86_64), read with Windows' own loader as data:
// manifest, version block, icon, strings and the three dialog templates, compared with the
// resources as data they were made from.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/resources.h"

namespace ombrix {
namespace {

constexpr WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);          // 1033

std::wstring ProductPath() {
  const std::string path = OMBRIX_PRODUCT_EXE;
  return {path.begin(), path.end()};
}

std::u16string U16(const wchar_t* text) {
  return text != nullptr ? std::u16string(text, text + std::wcslen(text)) : std::u16string();
}

class ProductResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW(ProductPath().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot read " << OMBRIX_PRODUCT_EXE;
  }
  void TearDown() override {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }

  // The bytes of a resource in one language; empty when there is none.
  std::vector<std::byte> Resource(LPCWSTR type, int id, WORD language) const {
    HRSRC found = ::FindResourceExW(module_, type, MAKEINTRESOURCEW(id), language);
    if (found == nullptr) return {};
    HGLOBAL loaded = ::LoadResource(module_, found);
    const auto* data = static_cast<const std::byte*>(::LockResource(loaded));
    return {data, data + ::SizeofResource(module_, found)};
  }

  HMODULE module_ = nullptr;
};

TEST_F(ProductResources, ManifestDemandsAdministratorAndCommonControls6) {
  const std::vector<std::byte> bytes = Resource(MAKEINTRESOURCEW(24), 1, kEnglish);
  ASSERT_FALSE(bytes.empty()) << "no manifest 1 in language 1033";
  const std::string manifest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"",
                           "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                           "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\""}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
  // The common controls of the program's own processor: an x86_64 program that names the x86
  // assembly fails to load them.
  const std::string architecture = sizeof(void*) == 4 ? "x86" : "amd64";
  EXPECT_NE(manifest.find("processorArchitecture=\"" + architecture + "\""), std::string::npos)
      << architecture;
}

TEST_F(ProductResources, VersionBlockHoldsEveryValue) {
  const std::wstring path = ProductPath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::byte> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010006u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010006u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 936);

  for (const auto& [name, value] : resource::kVersionStrings) {
    const std::wstring query =
        L"\\StringFileInfo\\080403a8\\" + std::wstring(name.begin(), name.end());
    wchar_t* text = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
        << std::string(name.begin(), name.end());
    EXPECT_EQ(U16(text), value) << std::string(name.begin(), name.end());
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ProductResources, IconHasFiveSizesOf32Bits) {
  const std::vector<std::byte> group =
      Resource(MAKEINTRESOURCEW(14), resource::IDR_MAINFRAME, kChinese);
  ASSERT_GE(group.size(), 6u);
  WORD count = 0;
  std::memcpy(&count, group.data() + 4, sizeof count);
  ASSERT_EQ(count, 5);
  ASSERT_GE(group.size(), 6 + count * sizeof(GroupIconEntry));
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    GroupIconEntry entry{};
    std::memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
    sizes.push_back(entry.width == 0 ? 256 : entry.width);
    EXPECT_EQ(entry.bit_count, 32);
    EXPECT_FALSE(Resource(MAKEINTRESOURCEW(3), entry.id, kChinese).empty());
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 128, 256}));
}

TEST_F(ProductResources, StringTableHoldsTheMenuItemAndThePrompt) {
  for (const int id : resource::kStringIds) {
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(length, 0) << id;
    EXPECT_EQ(std::u16string(text, text + length), resource::ResourceString(id)) << id;
  }
}

// Reads a DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<std::byte>& bytes) : bytes_(bytes) {}
  template <typename T>
  T Take() {
    T value{};
    if (at_ + sizeof(T) <= bytes_.size()) std::memcpy(&value, bytes_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  std::u16string Text() {
    std::u16string text;
    for (char16_t c = Take<char16_t>(); c != 0 && at_ <= bytes_.size(); c = Take<char16_t>()) {
      text.push_back(c);
    }
    return text;
  }
  // A name or ordinal: 0xFFFF followed by the ordinal, or a text. Ordinals read as "#n".
  std::u16string NameOrOrdinal() {
    if (at_ + 2 <= bytes_.size() && static_cast<unsigned char>(bytes_[at_]) == 0xFF &&
        static_cast<unsigned char>(bytes_[at_ + 1]) == 0xFF) {
      at_ += 2;
      const std::string number = "#" + std::to_string(Take<WORD>());
      return {number.begin(), number.end()};
    }
    return Text();
  }
  void AlignToDword() { at_ = (at_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t bytes) { at_ += bytes; }

 private:
  const std::vector<std::byte>& bytes_;
  std::size_t at_ = 0;
};

// A predefined class may be stored by its ordinal or by its name; both name the same class.
bool IsClassOf(std::u16string stored, const platform::ControlTemplate& control) {
  for (char16_t& c : stored) c = (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
  switch (control.control_class) {
    case platform::ControlClass::kButton:
      return stored == u"#128" || stored == u"BUTTON";
    case platform::ControlClass::kEdit:
      return stored == u"#129" || stored == u"EDIT";
    case platform::ControlClass::kStatic:
      return stored == u"#130" || stored == u"STATIC";
    case platform::ControlClass::kComboBox:
      return stored == u"#133" || stored == u"COMBOBOX";
    case platform::ControlClass::kProgressBar:
      return stored == u"MSCTLS_PROGRESS32";
  }
  return false;
}

TEST_F(ProductResources, DialogTemplatesAreTheOnesTheWindowIsBuiltFrom) {
  for (const platform::DialogTemplate* dialog : resource::DialogTemplates()) {
    SCOPED_TRACE(dialog->id);
    const std::vector<std::byte> bytes = Resource(MAKEINTRESOURCEW(5), dialog->id, kChinese);
    ASSERT_FALSE(bytes.empty());
    TemplateReader read(bytes);
    EXPECT_EQ(read.Take<WORD>(), 1);       // dlgVer
    EXPECT_EQ(read.Take<WORD>(), 0xFFFF);  // signature: an extended template
    read.Take<DWORD>();                    // help ID
    EXPECT_EQ(read.Take<DWORD>(), dialog->ex_style);
    EXPECT_EQ(read.Take<DWORD>(), dialog->style);
    const WORD items = read.Take<WORD>();
    read.Take<short>();
    read.Take<short>();
    EXPECT_EQ(read.Take<short>(), dialog->width);
    EXPECT_EQ(read.Take<short>(), dialog->height);
    read.NameOrOrdinal();  // menu
    read.NameOrOrdinal();  // class
    EXPECT_EQ(read.Text(), dialog->caption);
    EXPECT_EQ(read.Take<WORD>(), dialog->point_size);
    read.Take<WORD>();  // weight
    read.Take<BYTE>();  // italic
    read.Take<BYTE>();  // character set
    EXPECT_EQ(read.Text(), dialog->font);

    ASSERT_EQ(items, dialog->controls.size());
    for (const platform::ControlTemplate& control : dialog->controls) {
      read.AlignToDword();
      read.Take<DWORD>();  // help ID
      read.Take<DWORD>();  // extended style
      const DWORD style = read.Take<DWORD>();
      const short x = read.Take<short>(), y = read.Take<short>();
      const short cx = read.Take<short>(), cy = read.Take<short>();
      const auto id = static_cast<int>(read.Take<DWORD>());
      const std::u16string control_class = read.NameOrOrdinal();
      const std::u16string caption = read.NameOrOrdinal();
      read.Skip(read.Take<WORD>());  // creation data

      SCOPED_TRACE(id);
      EXPECT_EQ(id, control.id);
      EXPECT_TRUE(IsClassOf(control_class, control));
      EXPECT_EQ(x, control.rect.x);
      EXPECT_EQ(y, control.rect.y);
      EXPECT_EQ(cx, control.rect.width);
      EXPECT_EQ(cy, control.rect.height);
      EXPECT_EQ(style & 0xFFFF, control.style & 0xFFFF);
      if (control.style == platform::style::kStaticIcon) {
        const std::string ordinal = "#" + std::to_string(control.icon);
        EXPECT_EQ(caption, std::u16string(ordinal.begin(), ordinal.end()));
      } else {
        EXPECT_EQ(caption, control.caption);
      }
    }
  }
}

}  // namespace
}  // namespace ombrix
