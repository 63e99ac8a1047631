// Copies and zero-fills checked after they were written, wherever the core builds (under Wine
// too): the area read back from the target and compared with the source's digest or with zeros,
// against targets that return other bytes than they were given or fail to read, with the first
// bad sector and the messages in order. With the check off nothing of it happens.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sha256.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"
#include "transfer/verification.h"

namespace ombrix {
namespace {

using test::Error;
using test::Info;
using test::kDone;
using test::PathU16;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

std::string Sha256Hex(const std::string& bytes) {
  auto hash = platform::Sha256::Start();
  hash->Update(std::as_bytes(std::span(bytes.data(), bytes.size())));
  return platform::HexOf(hash->Finish());
}

std::u16string Verified(const std::string& bytes) {
  const std::string hex = Sha256Hex(bytes);
  return std::u16string(msg::kCopyVerified) + u"\n" + std::u16string(hex.begin(), hex.end());
}

// Flips one bit of every read that covers `offset`: a target that does not hold what it was given.
std::function<void(std::int64_t, std::span<std::byte>)> FlipAt(std::int64_t offset) {
  return [offset](std::int64_t at, std::span<std::byte> data) {
    if (offset >= at && offset < at + static_cast<std::int64_t>(data.size())) {
      data[static_cast<std::size_t>(offset - at)] ^= std::byte{0x10};
    }
  };
}

class VerifiedCopy : public test::TransferTest {
 protected:
  std::string MakeSource(std::int64_t size) {
    std::string bytes = PatternBytes(static_cast<std::size_t>(size), 7);
    WriteFile(source_file_, bytes);
    source_slot_ = AddSourceImage(source_file_);
    target_slot_ = AddTargetImage(target_file_);
    return bytes;
  }
  TransferJob Verify(TransferJob job) {
    job.verify = true;
    return job;
  }
  test::MediumFaults& Target() { return devices_.For(PathU16(target_file_)); }

  std::filesystem::path source_file_ = dir_ / "source.img";
  std::filesystem::path target_file_ = dir_ / "target.img";
  int source_slot_ = -1, target_slot_ = -1;
};

TEST_F(VerifiedCopy, AMatchingTargetEndsWithTheAreasSha256AfterASecondPass) {
  const std::string source = MakeSource(3 * kMiB + 512);
  RunCopy(Verify(WholeJob(source_slot_, target_slot_)));
  EXPECT_EQ(ReadFile(target_file_), source);
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(Verified(source)), kDone}));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{33, 66, 99, 100}));
  EXPECT_EQ(window_.CheckProgress(), (std::vector<std::uint16_t>{33, 66, 99, 100}));
}

struct FaultCase {
  const char* name;
  std::int64_t flip_at = -1;  // the target returns this byte changed
  int fail_read_at = -1;      // the target's read call that fails
  bool range = false;         // sectors 3000 to 6000 only
  Sequence expected;
};

class VerifiedCopyFaults : public VerifiedCopy, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(VerifiedCopyFaults, EndsWithTheFirstBadSectorOrTheReadError) {
  const FaultCase& c = GetParam();
  MakeSource(3 * kMiB + 512);
  if (c.flip_at >= 0) Target().after_read = FlipAt(c.flip_at);
  Target().fail_read_at = c.fail_read_at;
  RunCopy(Verify(c.range ? RangeJob(source_slot_, target_slot_, 3000, 3000)
                         : WholeJob(source_slot_, target_slot_)));
  Sequence expected{Info(msg::kImageTargetGrows)};
  expected.insert(expected.end(), c.expected.begin(), c.expected.end());
  expected.push_back(kDone);
  EXPECT_EQ(window_.Sequence(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifiedCopyFaults,
    ::testing::Values(
        // Sector 4097 of the source: byte 4097 x 512 + 100.
        FaultCase{"FlippedBit",
                  4097 * 512 + 100,
                  -1,
                  false,
                  {Error(msg::CopyMismatch(4097)), Error(msg::kCopyFailed)}},
        FaultCase{"FlippedBitInTheTail",
                  3 * kMiB + 511,
                  -1,
                  false,
                  {Error(msg::CopyMismatch(6144)), Error(msg::kCopyFailed)}},
        // A range counts its sectors from the source's start, not from the range's.
        FaultCase{"FlippedBitInARange",
                  5000 * 512,
                  -1,
                  true,
                  {Error(msg::CopyMismatch(5000)), Error(msg::kCopyFailed)}},
        FaultCase{"ReadErrorInTheCheck",
                  -1,
                  2,
                  false,
                  {Error(msg::kVerifyReadError), Error(msg::kCopyFailed)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VerifiedCopy, AStopInTheCheckEndsLikeAStoppedCopy) {
  const std::string source = MakeSource(3 * kMiB);
  window_.on_event = [this](const test::WindowEvent& e) {
    if (!e.is_box && e.message == WM_TRANSFER_PROGRESS && e.lparam == kCheckPass) run_flag_ = 0;
  };
  RunCopy(Verify(WholeJob(source_slot_, target_slot_)));
  EXPECT_EQ(window_.CheckProgress(), (std::vector<std::uint16_t>{33}));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_EQ(ReadFile(target_file_), source);  // the copy itself is complete
}

TEST_F(VerifiedCopy, WithoutTheCheckNothingIsReadBack) {
  const std::string source = MakeSource(3 * kMiB + 512);
  Target().after_read = FlipAt(0);  // would be found by a check
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_TRUE(window_.CheckProgress().empty());
  EXPECT_EQ(Target().reads, 0);
}

// A copy stopped before its end is not checked: its area was not all written.
TEST_F(VerifiedCopy, AStoppedCopyIsNotChecked) {
  MakeSource(3 * kMiB);
  StopAtStep(1);
  RunCopy(Verify(WholeJob(source_slot_, target_slot_)));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_EQ(Target().reads, 0);
}

// Region by region: a difference in the third region of an area is looked for in that region only,
// and found at its exact sector.
TEST_F(VerifiedCopy, ADifferenceIsSoughtOnlyInTheRegionWhoseDigestDiffers) {
  const std::string source = MakeSource(6 * kMiB);
  RunCopy(WholeJob(source_slot_, target_slot_));
  ASSERT_EQ(ReadFile(target_file_), source);
  auto digests = AreaDigests::Start(0, 2 * kMiB);
  ASSERT_TRUE(digests.has_value());
  digests->Add(std::as_bytes(std::span(source.data(), source.size())));
  digests->Finish();
  ASSERT_EQ(digests->regions().size(), 3u);

  Target().after_read = FlipAt(5 * kMiB + 4096);
  auto target = devices_.Open(PathU16(target_file_), platform::Access::kRead,
                              platform::Share::kReadWrite, platform::Disposition::kOpenExisting);
  auto source_medium =
      devices_.Open(PathU16(source_file_), platform::Access::kRead, platform::Share::kReadWrite,
                    platform::Disposition::kOpenExisting);
  ASSERT_NE(target.medium, nullptr);
  ASSERT_NE(source_medium.medium, nullptr);
  std::vector<std::byte> buffer(kMiB);
  const CheckResult result = CheckCopy(*target.medium, *source_medium.medium, *digests,
                                       {.begin = 0,
                                        .end = 6 * kMiB,
                                        .bytes_per_sector = 512,
                                        .buffer = buffer,
                                        .go_on = [] { return true; },
                                        .progress = [](std::int64_t) {}});
  EXPECT_EQ(result.outcome, CheckResult::Outcome::kMismatch);
  EXPECT_EQ(result.first_bad_sector, (5 * kMiB + 4096) / 512);
  // Six steps of the check, then the third region again: two steps.
  EXPECT_EQ(Target().reads, 6 + 2);
}

// The reader of a check reads past the system's cache (on Windows in whole aligned sectors,
// whatever it is asked for): any sector offset and length read as they are in the file, up to its
// end.
TEST_F(VerifiedCopy, TheReaderOfACheckReadsAnyWholeSectorsUpToTheEnd) {
  const std::string bytes = MakeSource(2 * kMiB + 1536);
  const platform::MediumPtr reader = OpenToCheck(devices_, PathU16(source_file_));
  ASSERT_NE(reader, nullptr);
  struct Read {
    std::int64_t at, length, moved;
  };
  for (const Read r : {Read{0, kMiB, kMiB}, Read{3 * 512, kMiB, kMiB}, Read{kMiB + 512, 512, 512},
                       Read{2 * kMiB + 1024, 512, 512}, Read{2 * kMiB + 1024, 4096, 512},
                       Read{2 * kMiB + 1536, 512, 0}}) {
    SCOPED_TRACE(r.at);
    ASSERT_TRUE(reader->SetPosition(r.at));
    std::string got(static_cast<std::size_t>(r.length), '\0');
    const platform::IoResult result =
        reader->Read(std::as_writable_bytes(std::span(got.data(), got.size())));
    EXPECT_TRUE(result.ok);
    ASSERT_EQ(static_cast<std::int64_t>(result.moved), r.moved);
    EXPECT_TRUE(got.substr(0, result.moved) ==
                bytes.substr(static_cast<std::size_t>(r.at), result.moved));
  }
  // Reads go on from where the last one ended.
  ASSERT_TRUE(reader->SetPosition(512));
  std::string first(512, '\0'), second(512, '\0');
  reader->Read(std::as_writable_bytes(std::span(first.data(), first.size())));
  reader->Read(std::as_writable_bytes(std::span(second.data(), second.size())));
  EXPECT_TRUE(first + second == bytes.substr(512, 1024));
}

class VerifiedZeroFill : public test::TransferTest {};

TEST_F(VerifiedZeroFill, ReadsTheDriveBackAndNamesTheFirstSectorThatIsNotZero) {
  const auto disk = dir_ / "disk.bin";
  for (const bool faulty : {false, true}) {
    SCOPED_TRACE(faulty);
    window_.Clear();
    TransferJob job = ZeroJob(AddFileAsDrive(disk, PatternBytes(2 * kMiB + 1024, 5)));
    job.verify = true;
    devices_.For(PathU16(disk)).after_read = faulty ? FlipAt(kMiB + 700) : nullptr;
    RunZero(job);
    EXPECT_EQ(window_.CheckProgress(), faulty ? (std::vector<std::uint16_t>{49})
                                              : (std::vector<std::uint16_t>{49, 99, 99, 100}));
    EXPECT_EQ(window_.Sequence(), faulty ? (Sequence{Error(msg::ZeroMismatch((kMiB + 700) / 512)),
                                                     Error(msg::kZeroFailed), kDone})
                                         : (Sequence{Info(msg::kZeroVerified), kDone}));
    EXPECT_TRUE(ReadFile(disk) == std::string(2 * kMiB + 1024, '\0'));
  }
}

}  // namespace
}  // namespace ombrix
