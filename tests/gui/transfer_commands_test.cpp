// Copies and zero-fills started, watched and stopped through the real window.
#include <atomic>
#include <chrono>
#include <thread>

#include <QProgressBar>

#include "app/resource.h"
#include "platform/sha256.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/strings.h"
#include "transfer/messages.h"
#include "ui/data_exchange.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using platform::kIdNo;
using platform::kIdYes;
using Entries = std::vector<std::u16string>;

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kSourceSize = 3 * kMiB + 1536;  // whole chunks and a tail of sectors

class TransferCommandsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    AddDrive("sda", "8:0", kSourceSize);
    AddDrive("sdb", "8:16", 4 * kMiB);
    AddDrive("sdc", "8:32", kMiB);  // smaller than sda
  }

  // Notes the state of the window at the first progress notification.
  void WatchFirstProgress() {
    dialog_->on_progress = [this](int) {
      if (!busy_buttons_.empty()) return;
      busy_buttons_ = EnabledButtons(window());
    };
  }

  std::string busy_buttons_;
};

TEST_F(TransferCommandsTest, WholeCopyOfADriveRunsTheWholeRoad) {
  Open();
  ASSERT_EQ(Count(IDC_SOURCE_LIST), 3);
  ASSERT_EQ(EnabledButtons(window()), kIdleButtons);
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  WatchFirstProgress();

  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskCopy),
                                 u"info:" + std::u16string(messages::kCopyDone), u"done"}));
  EXPECT_EQ(busy_buttons_, kBusyButtons);
  ASSERT_FALSE(dialog_->percents.empty());
  EXPECT_EQ(dialog_->percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(dialog_->percents.begin(), dialog_->percents.end()));
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
  EXPECT_EQ(window().GetProgressPos(IDC_PROGRESS), 0);
  EXPECT_TRUE(
      SameBytes(FileBytes(machine_.Node("sdb"), 0, kSourceSize), FileBytes(machine_.Node("sda"))));
}

// The text over the bar: the percent at once, the rate and time left once a second of transfer has
// passed (here the second step takes that long), and the end before the last box.
TEST_F(TransferCommandsTest, ProgressTextShowsTheRateAfterASecondAndTheEndBeforeTheLastBox) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  // Each step waits until the dialog has shown the one before, so that no report is folded into a
  // later one.
  std::atomic<int> shown{0};
  devices_->For(u"\\\\.\\PhysicalDrive0").before_read = [&shown](int call) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (shown < call && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (call == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  };
  auto* bar = qobject_cast<QProgressBar*>(window().Control(IDC_PROGRESS));
  ASSERT_NE(bar, nullptr);
  std::vector<QString> texts;  // the bar's text when each report arrives: what the one before set
  dialog_->on_progress = [&](int) {
    texts.push_back(bar->isTextVisible() ? bar->format() : QString());
    ++shown;
    if (texts.size() == 3) {
      // A copy under way, as a user sees it.
      EXPECT_TRUE(window().grab().save(
          QString::fromStdString((ArtefactDir() / "main-dialog-copying.png").string())));
    }
  };
  QString text_at_end;
  answerer_.on_box = [&](const std::u16string& entry) {
    if (entry.starts_with(u"info:")) text_at_end = bar->format();
  };
  Click(IDC_COPY);
  WaitForIdle();
  answerer_.on_box = nullptr;

  // Three whole steps, then the tail.
  EXPECT_EQ(dialog_->percents, (std::vector<int>{33, 66, 99, 99, 99, 100}));
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0], QString());
  EXPECT_EQ(texts[1], QStringLiteral("33 %"));
  EXPECT_TRUE(texts[2].startsWith(QStringLiteral("66 %  ·  "))) << texts[2].toStdString();
  EXPECT_TRUE(texts[2].contains(QStringLiteral(" MB/s  ·  剩余 0:00:0"))) << texts[2].toStdString();
  EXPECT_TRUE(text_at_end.startsWith(QStringLiteral("100 %  ·  "))) << text_at_end.toStdString();
  EXPECT_FALSE(bar->isTextVisible());  // idle again
}

// With "复制后校验" checked, the copy reads its target back: the right one ends with the area's
// SHA-256, one that returns a changed byte with its sector.
TEST_F(TransferCommandsTest, TheCheckBoxAddsACheckOfTheTarget) {
  Open();
  EXPECT_EQ(window().GetCheck(IDC_VERIFY), 0);
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  Click(IDC_VERIFY);
  bool box_enabled_while_busy = true;
  dialog_->on_progress = [&](int) {
    box_enabled_while_busy &= window().IsControlEnabled(IDC_VERIFY);
  };
  Click(IDC_COPY);
  WaitForIdle();
  const std::string copied = FileBytes(machine_.Node("sda"));
  auto hash = platform::Sha256::Start();
  hash->Update(std::as_bytes(std::span(copied.data(), copied.size())));
  const std::string hex = platform::HexOf(hash->Finish());
  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskCopy),
                                 u"info:" + std::u16string(messages::kCopyVerified) + u"\n" +
                                     std::u16string(hex.begin(), hex.end()),
                                 u"done"}));
  EXPECT_FALSE(box_enabled_while_busy);
  EXPECT_TRUE(window().IsControlEnabled(IDC_VERIFY));

  answerer_.Clear();
  devices_->For(u"\\\\.\\PhysicalDrive1").after_read = [](std::int64_t at,
                                                          std::span<std::byte> data) {
    constexpr std::int64_t kBad = 2 * kMiB + 512 * 7;
    if (kBad >= at && kBad < at + static_cast<std::int64_t>(data.size())) {
      data[static_cast<std::size_t>(kBad - at)] ^= std::byte{1};
    }
  };
  Click(IDC_COPY);
  WaitForIdle();
  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskCopy),
                                 u"error:" + messages::CopyMismatch(2 * 2048 + 7),
                                 u"error:" + std::u16string(messages::kCopyFailed), u"done"}));
}

TEST_F(TransferCommandsTest, RangeCopyWritesTheSameSectorsOfTheTarget) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  const std::string target_before = FileBytes(machine_.Node("sdb"));

  Click(IDC_RANGE_OPTION);
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"6147");  // the whole source, proposed
  EXPECT_FALSE(window().IsReadOnly(IDC_START_SECTOR));
  SetEdit(IDC_START_SECTOR, u"  +2047 sectors");  // read as %I64d reads it
  SetEdit(IDC_SECTOR_COUNT, u"2050");
  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(EditText(IDC_START_SECTOR), u"2047");  // written back
  EXPECT_EQ(Sequence().back(), u"done");
  const std::string target = FileBytes(machine_.Node("sdb"));
  const std::int64_t start = 2047 * 512, length = 2050 * 512;
  EXPECT_TRUE(
      SameBytes(target.substr(start, length), FileBytes(machine_.Node("sda"), start, length)));
  EXPECT_TRUE(SameBytes(target.substr(0, start), target_before.substr(0, start)));
  EXPECT_TRUE(SameBytes(target.substr(start + length), target_before.substr(start + length)));
}

TEST_F(TransferCommandsTest, ImageToImageCopy) {
  const auto source = MakeFile("source.img", 2 * kMiB + 512);
  const auto target = dir_.path() / "target.img";
  Open();
  answerer_.Files({PathU16(source), PathU16(target)});
  Click(IDC_SOURCE_IMAGE);
  Click(IDC_TARGET_IMAGE);
  answerer_.Clear();

  Click(IDC_COPY);  // both new entries are selected
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskCopy),
                                 u"info:" + std::u16string(messages::kImageTargetGrows),
                                 u"info:" + std::u16string(messages::kCopyDone), u"done"}));
  EXPECT_TRUE(SameBytes(FileBytes(target), FileBytes(source)));
}

TEST_F(TransferCommandsTest, StopKeepsTheStepsBeforeItAndWritesNothingAfter) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  const std::string target_before = FileBytes(machine_.Node("sdb"));
  // The worker does not wait for its progress to be shown: hold it in its second step until the
  // stop, asked at the first progress, is answered. That step ends, and no other.
  std::atomic<bool> stopped{false};
  devices_->For(u"\\\\.\\PhysicalDrive0").before_read = [&stopped](int call) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (call == 1 && !stopped && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  dialog_->on_progress = [&](int) {
    if (dialog_->percents.size() != 1) return;
    Click(IDC_STOP);
    stopped = true;
  };
  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskCopy),
                                 u"question:" + std::u16string(texts::kAskStop),
                                 u"info:" + std::u16string(messages::kCopyDone), u"done"}));
  EXPECT_EQ(dialog_->percents.back(), 66);  // the last step done, shown before the end
  const std::string target = FileBytes(machine_.Node("sdb"));
  EXPECT_TRUE(SameBytes(target.substr(0, 2 * kMiB), FileBytes(machine_.Node("sda"), 0, 2 * kMiB)));
  EXPECT_TRUE(SameBytes(target.substr(2 * kMiB), target_before.substr(2 * kMiB)));
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
}

TEST_F(TransferCommandsTest, StopAnsweredNoLetsTheCopyFinish) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  answerer_.Answers({kIdYes, kIdNo});
  dialog_->on_progress = [this](int) {
    if (dialog_->percents.size() == 1) Click(IDC_STOP);
  };
  Click(IDC_COPY);
  WaitForIdle();
  EXPECT_EQ(dialog_->percents.back(), 100);
  EXPECT_TRUE(
      SameBytes(FileBytes(machine_.Node("sdb"), 0, kSourceSize), FileBytes(machine_.Node("sda"))));
}

TEST_F(TransferCommandsTest, ZeroFillOfADrive) {
  Open();
  Select(IDC_TARGET_LIST, 1);
  WatchFirstProgress();
  Click(IDC_ZERO);
  WaitForIdle();
  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskZero),
                                 u"info:" + std::u16string(messages::kZeroDone), u"done"}));
  EXPECT_EQ(busy_buttons_, kBusyButtons);
  EXPECT_TRUE(SameBytes(FileBytes(machine_.Node("sdb")), std::string(4 * kMiB, '\0')));
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
}

TEST_F(TransferCommandsTest, ZeroFillOfAnImageIsRefused) {
  const auto target = MakeFile("target.img", 4096);
  const std::string before = FileBytes(target);
  Open();
  answerer_.Files({PathU16(target)});
  Click(IDC_TARGET_IMAGE);
  answerer_.Clear();
  Click(IDC_ZERO);
  WaitForIdle();
  EXPECT_EQ(Sequence(), (Entries{u"question:" + std::u16string(texts::kAskZero),
                                 u"info:" + std::u16string(messages::kZeroImageRefused), u"done"}));
  EXPECT_TRUE(SameBytes(FileBytes(target), before));
}

// Every refusal: what the user sees, in order, and that nothing was written.
struct Refusal {
  const char* name;
  int source = -1, target = -1;  // selections
  const char16_t* start = nullptr;
  const char16_t* count = nullptr;  // range mode when given
  Entries expected;
};

class RefusalTest : public TransferCommandsTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, NothingIsWritten) {
  const Refusal& refusal = GetParam();
  Open();
  if (refusal.source >= 0) Select(IDC_SOURCE_LIST, refusal.source);
  if (refusal.target >= 0) Select(IDC_TARGET_LIST, refusal.target);
  if (refusal.count != nullptr) {
    Click(IDC_RANGE_OPTION);
    SetEdit(IDC_START_SECTOR, refusal.start);
    SetEdit(IDC_SECTOR_COUNT, refusal.count);
  }
  const std::string before[] = {FileBytes(machine_.Node("sda")), FileBytes(machine_.Node("sdb")),
                                FileBytes(machine_.Node("sdc"))};
  answerer_.Clear();
  Click(IDC_COPY);
  WaitForIdle();

  EXPECT_EQ(Sequence(), refusal.expected);
  EXPECT_TRUE(SameBytes(FileBytes(machine_.Node("sda")), before[0]));
  EXPECT_TRUE(SameBytes(FileBytes(machine_.Node("sdb")), before[1]));
  EXPECT_TRUE(SameBytes(FileBytes(machine_.Node("sdc")), before[2]));
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
}

const std::u16string kAsk = u"question:" + std::u16string(texts::kAskCopy);
std::u16string Warning(std::u16string_view text) {
  return u"warning:" + std::u16string(text);
}
std::u16string Error(std::u16string_view text) {
  return u"error:" + std::u16string(text);
}

INSTANTIATE_TEST_SUITE_P(
    Copy, RefusalTest,
    ::testing::Values(
        // The copy asks first, then looks at the selections.
        Refusal{"NoSelection", -1, -1, nullptr, nullptr, {kAsk, Warning(texts::kSelectSource)}},
        Refusal{"NoTarget", 0, -1, nullptr, nullptr, {kAsk, Warning(texts::kSelectTarget)}},
        Refusal{"SameDrive", 1, 1, nullptr, nullptr, {kAsk, Warning(texts::kSameMedia)}},
        Refusal{"LargerOntoSmaller",
                0,
                2,
                nullptr,
                nullptr,
                {kAsk, u"done", Error(messages::kTargetTooSmall)}},
        Refusal{
            "StartBelowZero", 0, 1, u"-1", u"1", {kAsk, u"done", Error(messages::kStartBelowZero)}},
        Refusal{"PastTheSource",
                0,
                1,
                u"6000",
                u"148",
                {kAsk, u"done", Error(messages::kOutsideSource)}},
        Refusal{"PastTheTarget",
                0,
                2,
                u"2000",
                u"100",
                {kAsk, u"done", Error(messages::kOutsideTarget)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferCommandsTest, ZeroFillLooksAtTheSelectionBeforeItAsks) {
  Open();
  Click(IDC_ZERO);
  EXPECT_EQ(Sequence(), (Entries{Warning(texts::kSelectTarget)}));
  EXPECT_FALSE(dialog_->transfer_running());
}

TEST_F(TransferCommandsTest, AnEditWithoutANumberPromptsAndKeepsTheOldValue) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);
  Click(IDC_RANGE_OPTION);
  SetEdit(IDC_START_SECTOR, u"abc");
  SetEdit(IDC_SECTOR_COUNT, u"12");
  answerer_.Clear();
  Click(IDC_COPY);
  WaitForIdle();
  // The prompt, then the copy goes on with start 0 and the count proposed before: the count was
  // not read, because the exchange stops at the first edit that fails.
  EXPECT_EQ(Sequence(), (Entries{kAsk, u"box(Ombrix,48):" + std::u16string(kIntegerPrompt),
                                 u"info:" + std::u16string(messages::kCopyDone), u"done"}));
  EXPECT_EQ(EditText(IDC_START_SECTOR), u"0");
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"6147");
}

}  // namespace
}  // namespace ombrix::test
