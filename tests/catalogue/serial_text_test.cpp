#include "catalogue/serial_text.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

struct SerialCase {
  const char* name;
  std::string text;
  std::string serial;
};

TEST(SerialText, DecodesPairsSwapsAndTrims) {
  const SerialCase cases[] = {
      // Leading spaces go after the swap: " ", " ", "1X2Y" -> "X1Y2".
      {"leading spaces", "202031583259", "X1Y2"},
      // Spaces right before the terminator stay: the trim starts at the area's last byte.
      {"trailing spaces stay", "31322020", "21  "},
      // An odd number of bytes: the appended space swaps places with the last byte.
      {"odd byte count", "313233", "21 3"},
      // An odd number of characters: the last pair's second character is the terminator.
      {"odd text length", "41424", "BA @"},
      {"empty", "", ""},
      // Not hexadecimal: each character counts as its own code, (v1 * 16 + v2) mod 256.
      // 'G' = 71, 'H' = 72: 71 * 16 + 72 = 1208 = 0xB8 (mod 256); "0z": 0 * 16 + 122 = 'z'.
      {"not hexadecimal", "GH0z", "z\xB8"},
      {"lowercase hex", "6a6b", "kj"},
  };
  for (const auto& c : cases) EXPECT_EQ(SerialFromText(c.text), c.serial) << c.name;
}

TEST(SerialText, ReadsAtMost255Characters) {
  // 300 characters of "41": the cut leaves 127 pairs and a half pair "4" -> 0x40.
  std::string text;
  for (int i = 0; i < 150; ++i) text += "41";
  EXPECT_EQ(SerialFromText(text), std::string(126, 'A') + "@A");
}

TEST(SerialText, NormaliseMovesOverLeadingSpacesAndKeepsTheTail) {
  SerialArea area;
  area.fill('x');
  area[0] = area[1] = area[2] = area[3] = ' ';
  area[254] = 'y';
  area[255] = 'z';
  NormalizeSerialText(area);
  // Swapped, four leading spaces dropped; the last four bytes keep their swapped content.
  EXPECT_EQ(area[0], 'x');
  EXPECT_EQ(area[250], 'z');
  EXPECT_EQ(area[251], 'y');
  EXPECT_EQ(area[252], 'x');
  EXPECT_EQ(area[255], 'y');
}

TEST(SerialText, AllSpacesBecomeEmpty) {
  SerialArea area;
  area.fill(' ');
  NormalizeSerialText(area);
  for (auto b : area) ASSERT_EQ(b, 0);
}

}  // namespace
}  // namespace ombrix
