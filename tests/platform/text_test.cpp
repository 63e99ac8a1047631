#include "platform/text.h"

#include <gtest/gtest.h>

namespace ombrix::platform {
namespace {

TEST(Text, AnsiTextDecodesAsUtf8WithReplacement) {
  struct Case {
    std::string in;
    std::u16string out;
  };
  const Case cases[] = {
      {"Disk 1", u"Disk 1"},
      {"\xE7\xA1\xAC\xE7\x9B\x98", u"硬盘"},
      {"\xF0\x9F\x92\xBE", u"\U0001F4BE"},                // outside the BMP: a surrogate pair
      {"\xE7\xA1", u"\uFFFD\uFFFD"},                      // cut in the middle of a character
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"a\xFF"
       "b",
       u"a\uFFFDb"},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiToUtf16(c.in), c.out) << c.in;
}

TEST(Text, NativePathsAreUtf8AndRefuseWhatCannotBeNamed) {
  EXPECT_EQ(NativePath(u"/tmp/备份 1.img"), "/tmp/\xE5\xA4\x87\xE4\xBB\xBD 1.img");
  EXPECT_EQ(NativePath(u"\U0001F4BE"), "\xF0\x9F\x92\xBE");
  EXPECT_EQ(NativePath(std::u16string(u"a\0b", 3)), std::nullopt);
  EXPECT_EQ(NativePath(u"a\xD800"), std::nullopt);
  EXPECT_EQ(NativePath(u"\xDC00z"), std::nullopt);
}

}  // namespace
}  // namespace ombrix::platform
