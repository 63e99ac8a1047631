#include "platform/serial_encoding.h"

#include <gtest/gtest.h>

#include "catalogue/serial_text.h"

namespace ombrix::platform {
namespace {

TEST(SerialEncoding, RealSerialsRoundTripThroughTheCatalogueDecoding) {
  struct Case {
    std::string raw;       // as the platform reads it
    std::string expected;  // as the catalogue shows it
  };
  const Case cases[] = {
      {"S3Z9NB0K123456A", "S3Z9NB0K123456A"},  // odd length
      {"WD-WCAV12345678", "WD-WCAV12345678"},
      {"AB12", "AB12"},  // even length
      {"X", "X"},
      {"        WD-WMC1T0123456", "WD-WMC1T0123456"},  // ATA pads on the left
      {"S467NX0M123456K     \n", "S467NX0M123456K"},   // NVMe pads on the right
      {"0x1234abcd", "0x1234abcd"},
      {"in ner", "in ner"},
      {"", ""},
      {"   ", ""},
      {std::string("AB\0CD", 5), "AB"},
      {std::string(200, '9'), std::string(kMaxEncodedSerialBytes, '9')},
  };
  for (const auto& c : cases) {
    const std::string hex = EncodeSerialAsSwappedHex(c.raw);
    EXPECT_LE(hex.size(), kMaxSerialTextChars) << c.raw;
    EXPECT_EQ(SerialFromText(hex), c.expected) << c.raw;
  }
}

TEST(SerialEncoding, DeliveredSerialsReachTheCatalogueInOneForm) {
  struct Case {
    std::string delivered;  // as the storage stack hands it over
    std::string expected;   // as the catalogue shows it
  };
  const Case cases[] = {
      // Hexadecimal pairs of the swapped serial, as older Windows deliver ATA serials: kept.
      {"2020315832593", "2020315832593"},  // odd length: not pairs, so plain text
      {"202031583259", "X1Y2"},
      // Plain serials, as other drives and newer Windows deliver them: encoded.
      {"WD-WCAV12345678", "WD-WCAV12345678"},
      {"S3Z9NB0K123456A  ", "S3Z9NB0K123456A"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SerialFromText(SerialInCatalogueForm(c.delivered)), c.expected) << c.delivered;
  }
}

TEST(SerialEncoding, IsHexOfSwappedPairs) {
  EXPECT_EQ(EncodeSerialAsSwappedHex("1X2Y"), "58315932");
  EXPECT_EQ(EncodeSerialAsSwappedHex("ABC"), "42410043");
}

}  // namespace
}  // namespace ombrix::platform
