#include "platform/storage_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace ombrix::platform {
namespace {

// A descriptor reply: a 40-byte header, then texts placed at their offsets.
class Reply {
 public:
  explicit Reply(std::size_t size = 10000) : bytes_(size) {}
  Reply& Offset(std::size_t field, std::uint32_t offset) {
    for (int i = 0; i < 4; ++i) bytes_.at(field + i) = std::byte((offset >> (8 * i)) & 0xFF);
    return *this;
  }
  Reply& Text(std::size_t field, std::uint32_t offset, std::string_view text,
              bool terminate = true) {
    Offset(field, offset);
    for (std::size_t i = 0; i < text.size(); ++i) bytes_.at(offset + i) = std::byte(text[i]);
    if (terminate) bytes_.at(offset + text.size()) = std::byte{0};
    return *this;
  }
  std::span<const std::byte> span() const { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

TEST(StorageDescriptor, ReadsTheTextsTheOffsetsPointAt) {
  Reply reply;
  reply.Text(kVendorIdOffsetField, 40, "ATA")
      .Text(kProductIdOffsetField, 44, "ST1000DM003")
      .Text(kProductRevisionOffsetField, 56, "CC45")
      .Text(kSerialNumberOffsetField, 61, "2020315832");
  const auto texts = ParseStorageDescriptor(reply.span());
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->vendor, "ATA");
  EXPECT_EQ(texts->product, "ST1000DM003");
  EXPECT_EQ(texts->revision, "CC45");
  EXPECT_EQ(texts->serial, "2020315832");
}

TEST(StorageDescriptor, MalformedRepliesNeverReadOutside) {
  // Offset 0 and offsets at or past the reply's end: absent.
  Reply small(64);
  small.Offset(kVendorIdOffsetField, 0).Offset(kProductIdOffsetField, 64);
  small.Offset(kProductRevisionOffsetField, 0xFFFFFFFF);
  // The last text has no terminator: it ends with the reply.
  small.Text(kSerialNumberOffsetField, 60, "ABCD", false);
  auto texts = ParseStorageDescriptor(small.span());
  ASSERT_TRUE(texts);
  EXPECT_FALSE(texts->vendor);
  EXPECT_FALSE(texts->product);
  EXPECT_FALSE(texts->revision);
  EXPECT_EQ(texts->serial, "ABCD");

  // An over-long text is cut.
  Reply longtext;
  longtext.Text(kProductIdOffsetField, 40, std::string(5000, 'P'));
  EXPECT_EQ(ParseStorageDescriptor(longtext.span())->product->size(), kMaxDescriptorText);

  // Too short to hold the offsets at all.
  EXPECT_FALSE(ParseStorageDescriptor(Reply(kDescriptorHeaderBytes - 1).span()));
}

}  // namespace
}  // namespace ombrix::platform
