// Faults during a copy started from the window: the messages in their order, the end reported
// once, the dialog idle again, every step before the fault on the target and nothing after the
// step that failed.
#include <algorithm>

#include "app/resource.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/strings.h"
#include "transfer/messages.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using Entries = std::vector<std::u16string>;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

std::u16string Error(std::u16string_view text) {
  return u"error:" + std::u16string(text);
}

struct Fault {
  const char* name;
  MediumFaults source, target;
  Entries worker;           // what the worker shows, "done" included
  std::int64_t good_steps;  // whole steps copied before the fault
};

class FaultTest : public GuiTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(FaultTest, ReportsInOrderAndKeepsTheStepsBefore) {
  const Fault& fault = GetParam();
  AddDrive("sda", "8:0", 4 * kMiB);
  AddDrive("sdb", "8:16", 4 * kMiB);
  const std::string source = FileBytes(machine_.Node("sda"));
  const std::string before = FileBytes(machine_.Node("sdb"));
  Open();
  devices_->For(u"\\\\.\\PhysicalDrive0") = fault.source;
  devices_->For(u"\\\\.\\PhysicalDrive1") = fault.target;
  Select(IDC_SOURCE_LIST, 0);
  Select(IDC_TARGET_LIST, 1);

  Click(IDC_COPY);
  WaitForIdle();

  Entries expected{u"question:" + std::u16string(texts::kAskCopy)};
  expected.insert(expected.end(), fault.worker.begin(), fault.worker.end());
  EXPECT_EQ(Sequence(), expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), u"done"), 1);
  EXPECT_EQ(EnabledButtons(window()), kIdleButtons);
  EXPECT_EQ(window().GetProgressPos(IDC_PROGRESS), 0);
  const std::string target = FileBytes(machine_.Node("sdb"));
  const std::int64_t good = fault.good_steps * kMiB;
  const std::int64_t after = std::min<std::int64_t>(good + kMiB, 4 * kMiB);
  EXPECT_TRUE(SameBytes(target.substr(0, good), source.substr(0, good)));
  EXPECT_TRUE(SameBytes(target.substr(after), before.substr(after)));
}

const std::u16string kFailed = Error(msg::kCopyFailed);

INSTANTIATE_TEST_SUITE_P(
    Copy, FaultTest,
    ::testing::Values(
        Fault{"ReadErrorAtStep2",
              {.fail_read_at = 1},
              {},
              {Error(msg::kReadError), kFailed, u"done"},
              1},
        Fault{"ShortReadAtStep3",
              {.short_read_at = 2},
              {},
              {Error(msg::kReadError), kFailed, u"done"},
              2},
        Fault{"WriteErrorAtStep3",
              {},
              {.fail_write_at = 2},
              {Error(msg::kWriteError), kFailed, u"done"},
              2},
        Fault{"ShortWriteAtStep1",
              {},
              {.short_write_at = 0},
              {Error(msg::kWriteError), kFailed, u"done"},
              0},
        Fault{
            "FlushFails", {}, {.fail_flush = true}, {Error(msg::kWriteError), kFailed, u"done"}, 4},
        Fault{"TargetPositionAtStep2", {}, {.fail_position_at = 2}, {kFailed, u"done"}, 1},
        Fault{"FirstSourcePosition",
              {.fail_position_at = 0},
              {},
              {u"done", Error(msg::kPositionError)},
              0},
        Fault{
            "TargetInUse",
            {},
            {.open_error = platform::OpenError::kBusy},
            {u"done", u"warning:" + std::u16string(msg::kTargetBusy), Error(msg::kTargetOpenError)},
            0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ombrix::test
