// SHA-256 from the system's cryptography, against the published test vectors and across calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sha256.h"

namespace ombrix::platform {
namespace {

std::span<const std::byte> Bytes(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

TEST(Sha256, GivesTheStandardsDigestsInPiecesAndAfterwards) {
  const auto hash = Sha256::Start();
  ASSERT_NE(hash, nullptr);
  EXPECT_EQ(HexOf(hash->Finish()),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  hash->Update(Bytes("ab"));
  hash->Update(Bytes("c"));
  EXPECT_EQ(HexOf(hash->Finish()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // A million 'a's, given a mebibyte-sized piece short of it and the rest.
  const std::string million(1'000'000, 'a');
  hash->Update(Bytes(million.substr(0, 999'999)));
  hash->Update(Bytes(million.substr(999'999)));
  EXPECT_EQ(HexOf(hash->Finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace ombrix::platform
