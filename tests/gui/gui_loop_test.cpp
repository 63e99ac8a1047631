// The window over this machine's real drives, writing only to loop devices attached to files of
// the test's own.
#include "app/resource.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/loop_device.h"
#include "transfer/messages.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using Entries = std::vector<std::u16string>;

constexpr std::int64_t kMiB = 1 << 20;

class GuiLoopTest : public GuiTest {
 protected:
  // Selects two of the test's loop devices, after making sure they are what the lists show.
  void SelectLoops(const LoopDevice& source, const LoopDevice& target) {
    const int s = PositionOfNode(source.node()), t = PositionOfNode(target.node());
    ASSERT_GE(s, 0) << source.node() << " is not listed";
    ASSERT_GE(t, 0) << target.node() << " is not listed";
    Select(IDC_SOURCE_LIST, s);
    Select(IDC_TARGET_LIST, t);
    ASSERT_EQ(TextOf((*target_)[t].path), TextOf((*source_)[t].path));
  }

  const std::u16string kAskCopy = u"question:" + std::u16string(texts::kAskCopy);
  const std::u16string kCopyDone = u"info:" + std::u16string(messages::kCopyDone);
};

TEST_F(GuiLoopTest, WholeCopyFromLoopDeviceToLoopDevice) {
  const auto source_file = MakeFile("source.bin", 3 * kMiB + 1536);
  const auto target_file = MakeFile("target.bin", 4 * kMiB);
  OMBRIX_ATTACH_LOOP_OR_SKIP(source, source_file, 512);
  OMBRIX_ATTACH_LOOP_OR_SKIP(target, target_file, 512);
  OpenOnThisMachine();
  SelectLoops(*source, *target);
  if (HasFatalFailure()) return;

  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{kAskCopy, kCopyDone, u"done"}));
  EXPECT_EQ(dialog_->percents.back(), 100);
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
  EXPECT_TRUE(SameBytes(FileBytes(target->node(), 0, 3 * kMiB + 1536), FileBytes(source_file)));
}

TEST_F(GuiLoopTest, RangeCopyBetween4096ByteSectorDevices) {
  const auto source_file = MakeFile("source.bin", 4 * kMiB);
  const auto target_file = MakeFile("target.bin", 4 * kMiB);
  const std::string target_before = FileBytes(target_file);
  OMBRIX_ATTACH_LOOP_OR_SKIP(source, source_file, 4096);
  OMBRIX_ATTACH_LOOP_OR_SKIP(target, target_file, 4096);
  OpenOnThisMachine();
  SelectLoops(*source, *target);
  if (HasFatalFailure()) return;
  Click(IDC_RANGE_OPTION);
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"1024");  // sectors of 4096 bytes
  SetEdit(IDC_START_SECTOR, u"100");
  SetEdit(IDC_SECTOR_COUNT, u"300");

  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{kAskCopy, kCopyDone, u"done"}));
  const std::string target_after = FileBytes(target->node());
  const std::int64_t start = 100 * 4096, length = 300 * 4096;
  EXPECT_TRUE(SameBytes(target_after.substr(start, length), FileBytes(source_file, start, length)));
  EXPECT_TRUE(SameBytes(target_after.substr(0, start), target_before.substr(0, start)));
  EXPECT_TRUE(SameBytes(target_after.substr(start + length), target_before.substr(start + length)));
}

TEST_F(GuiLoopTest, ZeroFillOfALoopDevice) {
  const auto target_file = MakeFile("target.bin", 2 * kMiB + 4096);
  OMBRIX_ATTACH_LOOP_OR_SKIP(target, target_file, 4096);
  OpenOnThisMachine();
  const int t = PositionOfNode(target->node());
  ASSERT_GE(t, 0);
  Select(IDC_TARGET_LIST, t);

  Click(IDC_ZERO);
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskZero),
                                 u"info:" + std::u16string(messages::kZeroDone), u"done"}));
  EXPECT_TRUE(SameBytes(FileBytes(target->node()), std::string(2 * kMiB + 4096, '\0')));
}

}  // namespace
}  // namespace ombrix::test
