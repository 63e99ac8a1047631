// The two image buttons through the real window: the file dialogs, the boxes, the new entries.
#include <filesystem>

#include "app/resource.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/strings.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using Entries = std::vector<std::u16string>;

std::u16string Info(std::u16string_view text) {
  return u"info:" + std::u16string(text);
}
std::u16string File(std::u16string_view title) {
  return u"file:" + std::u16string(title);
}

class ImageEntriesTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    AddDrive("sda", "8:0", 1 << 20);
  }
};

struct SourceImageCase {
  const char* name;
  std::int64_t file_size;
  bool read_only;
  std::int64_t recorded_size;
  std::u16string label;
  bool aligned;
};

class SourceImageTest : public ImageEntriesTest,
                        public ::testing::WithParamInterface<SourceImageCase> {};

TEST_P(SourceImageTest, IsAddedToTheSourceListOnly) {
  const SourceImageCase& c = GetParam();
  const auto path = MakeFile(c.name, c.file_size);
  Open();
  devices_->For(PathU16(path)).read_only = c.read_only;
  answerer_.Files({PathU16(path)});
  Click(IDC_SOURCE_IMAGE);

  Entries expected{File(texts::kOpenImageTitle)};
  if (!c.aligned) expected.push_back(Info(texts::kImageNotAligned));
  expected.push_back(Info(texts::kSourceImageAdded));
  EXPECT_EQ(Sequence(), expected);
  ASSERT_EQ(Count(IDC_SOURCE_LIST), 2);
  EXPECT_EQ(Count(IDC_TARGET_LIST), 1);
  EXPECT_EQ(Selection(IDC_SOURCE_LIST), 1);
  EXPECT_EQ(window().List(IDC_SOURCE_LIST).GetLBText(1), c.label);
  const MediaRecord& record = (*source_)[1];
  EXPECT_EQ(record.number, 1);
  EXPECT_EQ(TextOf(record.path), PathU16(path));
  EXPECT_EQ(record.size_bytes, c.recorded_size);
  EXPECT_EQ(record.cylinders, c.recorded_size / 255 / 63 / 512);
  EXPECT_EQ(record.is_image, 1);
  EXPECT_EQ((*target_)[1], MediaRecord{});  // not in the target table
  EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(c.file_size));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceImageTest,
    ::testing::Values(
        SourceImageCase{"aligned.img", 8 << 20, false, 8 << 20,
                        u"Image File: aligned.img    8.00 MB", true},
        // The size is cut to whole sectors; the file itself stays as it is.
        SourceImageCase{"odd.img", 1000, false, 512, u"Image File: odd.img    0.00 MB", false},
        SourceImageCase{"tiny.img", 100, false, 0, u"Image File: tiny.img    0.00 MB", false},
        // Opened for reading when it cannot be opened for writing.
        SourceImageCase{"locked.img", 4096, true, 4096, u"Image File: locked.img    0.00 MB",
                        true}),
    [](const auto& info) {
      std::string name = info.param.name;
      return name.substr(0, name.find('.'));
    });

TEST_F(ImageEntriesTest, ASourceImageThatDoesNotOpenAddsNothing) {
  const auto path = MakeFile("gone.img", 4096);
  Open();
  devices_->For(PathU16(path)).open_error = platform::OpenError::kNotFound;
  answerer_.Files({PathU16(path)});
  Click(IDC_SOURCE_IMAGE);
  EXPECT_EQ(Sequence(), (Entries{File(texts::kOpenImageTitle),
                                 u"error:" + std::u16string(texts::kSourceImageOpenError)}));
  EXPECT_EQ(Count(IDC_SOURCE_LIST), 1);
}

TEST_F(ImageEntriesTest, CancelledDialogsAddNothing) {
  Open();
  Click(IDC_SOURCE_IMAGE);
  Click(IDC_TARGET_IMAGE);
  EXPECT_EQ(Sequence(), (Entries{File(texts::kOpenImageTitle), Info(texts::kTargetImageAdvice),
                                 File(texts::kSaveImageTitle)}));
  EXPECT_EQ(Count(IDC_SOURCE_LIST), 1);
  EXPECT_EQ(Count(IDC_TARGET_LIST), 1);
}

TEST_F(ImageEntriesTest, ATargetImageIsOnlyAPathUntilTheFirstCopy) {
  // Typed without an extension: the name stays as typed and the file is not created yet.
  const auto path = dir_.path() / "backup";
  Open();
  answerer_.Files({PathU16(path)});
  Click(IDC_TARGET_IMAGE);

  EXPECT_EQ(Sequence(), (Entries{Info(texts::kTargetImageAdvice), File(texts::kSaveImageTitle),
                                 Info(texts::kTargetImageAdded)}));
  ASSERT_EQ(Count(IDC_TARGET_LIST), 2);
  EXPECT_EQ(Count(IDC_SOURCE_LIST), 1);
  EXPECT_EQ(Selection(IDC_TARGET_LIST), 1);
  EXPECT_EQ(window().List(IDC_TARGET_LIST).GetLBText(1), u"Image File: backup");
  EXPECT_EQ(TextOf((*target_)[1].path), PathU16(path));
  EXPECT_EQ((*target_)[1].size_bytes, 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ImageEntriesTest, AnExistingTargetFileIsChosenOnlyAfterTheOverwriteQuestion) {
  const auto path = MakeFile("old.img", 4096);
  Open();
  answerer_.Files({PathU16(path)});
  Click(IDC_TARGET_IMAGE);
  const Entries sequence = Sequence();
  ASSERT_EQ(sequence.size(), 4u);
  EXPECT_TRUE(sequence[2].starts_with(u"overwrite:"));
  EXPECT_EQ(sequence[3], Info(texts::kTargetImageAdded));
  EXPECT_EQ(std::filesystem::file_size(path), 4096u);  // nothing written yet
}

TEST_F(ImageEntriesTest, AFullListTakesNoMoreEntries) {
  const auto path = MakeFile("one.img", 4096);
  Open();
  for (int i = Count(IDC_SOURCE_LIST); i < kMaxEntries; ++i) {
    window().List(IDC_SOURCE_LIST).AddString(u"filler");
    window().List(IDC_TARGET_LIST).AddString(u"filler");
  }
  answerer_.Files({PathU16(path), PathU16(path)});
  Click(IDC_SOURCE_IMAGE);
  Click(IDC_TARGET_IMAGE);
  const std::u16string full = u"warning:" + std::u16string(texts::kListFull);
  EXPECT_EQ(Sequence(), (Entries{full, full}));  // refused before any file dialog
  EXPECT_EQ(Count(IDC_SOURCE_LIST), kMaxEntries);
  EXPECT_EQ(Count(IDC_TARGET_LIST), kMaxEntries);
}

TEST_F(ImageEntriesTest, TheSameFileTwiceMakesTwoEntries) {
  const auto path = MakeFile("twice.img", 4096);
  Open();
  answerer_.Files({PathU16(path), PathU16(path)});
  Click(IDC_SOURCE_IMAGE);
  Click(IDC_SOURCE_IMAGE);
  ASSERT_EQ(Count(IDC_SOURCE_LIST), 3);
  EXPECT_EQ(TextOf((*source_)[1].path), TextOf((*source_)[2].path));
  EXPECT_EQ((*source_)[2].number, 2);
}

}  // namespace
}  // namespace ombrix::test
