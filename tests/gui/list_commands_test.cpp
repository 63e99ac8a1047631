// Swap, reset, details and the range option through the real window.
#include <QApplication>

#include "app/resource.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/strings.h"
#include "ui/dialog_texts.h"

namespace ombrix::test {
namespace {

using namespace resource;
using platform::kIdNo;
using Entries = std::vector<std::u16string>;

std::u16string Warning(std::u16string_view text) {
  return u"warning:" + std::u16string(text);
}
std::u16string Question(std::u16string_view text) {
  return u"question:" + std::u16string(text);
}

class ListCommandsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    AddDrive("sda", "8:0", 1 << 20);
    AddDrive("sdb", "8:16", 2 << 20);
    AddDrive("sdc", "8:32", 3 << 20);
  }

  void AddImage(int button, const std::string& name) {
    const auto path = button == IDC_SOURCE_IMAGE ? MakeFile(name, 4096) : dir_.path() / name;
    answerer_.Files({PathU16(path)});
    Click(button);
    answerer_.Clear();
  }

  // Checks the range option with start 5, so that a command's clearing of it shows.
  void SetRange() {
    Click(IDC_RANGE_OPTION);
    SetEdit(IDC_START_SECTOR, u"5");
    answerer_.Clear();
  }

  void ExpectRangeCleared() {
    EXPECT_EQ(window().GetCheck(IDC_RANGE_OPTION), 0);
    EXPECT_TRUE(window().IsReadOnly(IDC_START_SECTOR));
    EXPECT_TRUE(window().IsReadOnly(IDC_SECTOR_COUNT));
    EXPECT_EQ(EditText(IDC_START_SECTOR), u"0");
    EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"0");
    EXPECT_EQ(RangeMode, 0u);
  }
};

struct SwapCase {
  const char* name;
  int source_image = 0, target_image = 0;  // images added to one list alone
  int s = -1, t = -1;                      // selections before
  int source_count = 3, target_count = 3;  // counts after
  int s_after = -1, t_after = -1;          // selections after
  bool warned = false;                     // the longer list had no selection
};

class SwapTest : public ListCommandsTest, public ::testing::WithParamInterface<SwapCase> {};

TEST_P(SwapTest, MovesSelectionsAndEntries) {
  const SwapCase& c = GetParam();
  Open();
  for (int i = 0; i < c.source_image; ++i) AddImage(IDC_SOURCE_IMAGE, "s" + std::to_string(i));
  for (int i = 0; i < c.target_image; ++i) AddImage(IDC_TARGET_IMAGE, "t" + std::to_string(i));
  Select(IDC_SOURCE_LIST, c.s);
  Select(IDC_TARGET_LIST, c.t);
  SetRange();
  const std::u16string moved =
      c.source_image > c.target_image && c.s >= 0   ? window().List(IDC_SOURCE_LIST).GetLBText(c.s)
      : c.target_image > c.source_image && c.t >= 0 ? window().List(IDC_TARGET_LIST).GetLBText(c.t)
                                                    : u"";

  Click(IDC_SWAP);

  Entries expected{Question(texts::kAskSwap)};
  if (c.warned) {
    expected.push_back(
        Warning(c.source_image > c.target_image ? texts::kSelectSource : texts::kSelectTarget));
  }
  EXPECT_EQ(Sequence(), expected);
  EXPECT_EQ(Count(IDC_SOURCE_LIST), c.source_count);
  EXPECT_EQ(Count(IDC_TARGET_LIST), c.target_count);
  EXPECT_EQ(Selection(IDC_SOURCE_LIST), c.s_after);
  EXPECT_EQ(Selection(IDC_TARGET_LIST), c.t_after);
  const bool appended = c.source_count + c.target_count > 6 + c.source_image + c.target_image;
  if (appended) {
    // The record and label were copied to the end of the other list.
    if (c.source_image > c.target_image) {
      EXPECT_EQ(window().List(IDC_TARGET_LIST).GetLBText(c.target_count - 1), moved);
      EXPECT_EQ((*target_)[c.target_count - 1], (*source_)[c.s]);
    } else {
      EXPECT_EQ(window().List(IDC_SOURCE_LIST).GetLBText(c.source_count - 1), moved);
      EXPECT_EQ((*source_)[c.source_count - 1], (*target_)[c.t]);
    }
  }
  ExpectRangeCleared();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SwapTest,
    ::testing::Values(
        // Equal counts: the selections trade places, the tables stay.
        SwapCase{.name = "BothSelected", .s = 0, .t = 2, .s_after = 2, .t_after = 0},
        SwapCase{.name = "OnlySource", .s = 1, .t = -1, .s_after = -1, .t_after = 1},
        SwapCase{.name = "OnlyTarget", .s = -1, .t = 2, .s_after = 2, .t_after = -1},
        // A source image moves into the target list and is selected there; the source list
        // takes the position the target list had.
        SwapCase{.name = "SourceImage",
                 .source_image = 1,
                 .s = 3,
                 .t = 1,
                 .source_count = 4,
                 .target_count = 4,
                 .s_after = 1,
                 .t_after = 3},
        SwapCase{.name = "TargetImage",
                 .target_image = 1,
                 .s = 0,
                 .t = 3,
                 .source_count = 4,
                 .target_count = 4,
                 .s_after = 3,
                 .t_after = 0},
        // The longer list has no selection: nothing to move, said so; the range is cleared.
        SwapCase{.name = "LongerSourceWithoutSelection",
                 .source_image = 1,
                 .s = -1,
                 .t = 1,
                 .source_count = 4,
                 .target_count = 3,
                 .s_after = -1,
                 .t_after = 1,
                 .warned = true},
        SwapCase{.name = "LongerTargetWithoutSelection",
                 .target_image = 1,
                 .s = 2,
                 .t = -1,
                 .source_count = 3,
                 .target_count = 4,
                 .s_after = 2,
                 .t_after = -1,
                 .warned = true}),
    [](const auto& info) { return std::string(info.param.name); });

// Once an image was added to one list alone, a position no longer names the same medium in both
// lists: whatever the counts, the swap ends with the old target as source and the old source as
// target, finding each in the other list or moving it there.
struct SwapMediaCase {
  const char* name;
  std::vector<std::string> source_images, target_images;  // an image of the same name is one file
  int s = -1, t = -1;
  int source_count = 0, target_count = 0;  // counts after
  friend void PrintTo(const SwapMediaCase& c, std::ostream* out) { *out << c.name; }
};

class SwapMediaTest : public ListCommandsTest,
                      public ::testing::WithParamInterface<SwapMediaCase> {};

TEST_P(SwapMediaTest, OldTargetBecomesSourceAndOldSourceTarget) {
  const SwapMediaCase& c = GetParam();
  Open();
  for (const std::string& name : c.source_images) AddImage(IDC_SOURCE_IMAGE, name);
  for (const std::string& name : c.target_images) AddImage(IDC_TARGET_IMAGE, name);
  Select(IDC_SOURCE_LIST, c.s);
  Select(IDC_TARGET_LIST, c.t);
  const std::u16string old_source(TextOf((*source_)[c.s].path));
  const std::u16string old_target(TextOf((*target_)[c.t].path));

  Click(IDC_SWAP);

  EXPECT_EQ(Sequence(), (Entries{Question(texts::kAskSwap)}));
  EXPECT_EQ(Count(IDC_SOURCE_LIST), c.source_count);
  EXPECT_EQ(Count(IDC_TARGET_LIST), c.target_count);
  ASSERT_GE(Selection(IDC_SOURCE_LIST), 0);
  ASSERT_GE(Selection(IDC_TARGET_LIST), 0);
  EXPECT_EQ(TextOf((*source_)[Selection(IDC_SOURCE_LIST)].path), old_target);
  EXPECT_EQ(TextOf((*target_)[Selection(IDC_TARGET_LIST)].path), old_source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SwapMediaTest,
    ::testing::Values(
        // Sources [HD0 HD1 HD2 A], targets [HD0 HD1 HD2 B]: HD0 onto B becomes B onto HD0, and B
        // moves into the source list; HD0 is where it was in the target list.
        SwapMediaCase{.name = "EqualCountsImageOnlyInTheOtherList",
                      .source_images = {"a"},
                      .target_images = {"b"},
                      .s = 0,
                      .t = 3,
                      .source_count = 5,
                      .target_count = 4},
        // Both selected images exist in one list alone: each moves over.
        SwapMediaCase{.name = "EqualCountsBothImagesMove",
                      .source_images = {"a"},
                      .target_images = {"b"},
                      .s = 3,
                      .t = 3,
                      .source_count = 5,
                      .target_count = 5},
        // Sources [HD0 HD1 HD2 A B], targets [HD0 HD1 HD2 C]: A moves into the targets, and
        // source position 3 is A, not C, so C moves into the sources.
        SwapMediaCase{.name = "LongerSourceListShorterListsMediumMoves",
                      .source_images = {"a", "b"},
                      .target_images = {"c"},
                      .s = 3,
                      .t = 3,
                      .source_count = 6,
                      .target_count = 5},
        SwapMediaCase{.name = "LongerTargetListShorterListsMediumMoves",
                      .source_images = {"c"},
                      .target_images = {"a", "b"},
                      .s = 3,
                      .t = 4,
                      .source_count = 5,
                      .target_count = 6},
        // The old source is listed in the target list already, at another position: selected
        // there, nothing added for it.
        SwapMediaCase{.name = "OldSourceListedElsewhereInTheOtherList",
                      .source_images = {"a"},
                      .target_images = {"b", "a"},
                      .s = 3,
                      .t = 3,
                      .source_count = 5,
                      .target_count = 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListCommandsTest, SwapAnsweredNoChangesNothing) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  SetRange();
  answerer_.Answers({kIdNo});
  Click(IDC_SWAP);
  EXPECT_EQ(Selection(IDC_SOURCE_LIST), 0);
  EXPECT_EQ(Selection(IDC_TARGET_LIST), -1);
  EXPECT_EQ(window().GetCheck(IDC_RANGE_OPTION), 1);
  EXPECT_EQ(RangeMode, 1u);
}

TEST_F(ListCommandsTest, ResetClearsChoicesAndKeepsEntries) {
  Open();
  AddImage(IDC_SOURCE_IMAGE, "kept.img");
  Select(IDC_TARGET_LIST, 2);
  SetRange();
  Click(IDC_RESET);
  EXPECT_EQ(Sequence(), (Entries{Question(texts::kAskReset)}));
  EXPECT_EQ(Count(IDC_SOURCE_LIST), 4);
  EXPECT_EQ(Selection(IDC_SOURCE_LIST), -1);
  EXPECT_EQ(Selection(IDC_TARGET_LIST), -1);
  ExpectRangeCleared();
}

TEST_F(ListCommandsTest, RangeOptionProposesTheWholeSourceAndClearsWhenUnchecked) {
  Open();
  Click(IDC_RANGE_OPTION);  // no source yet
  EXPECT_EQ(Sequence(), (Entries{Warning(texts::kSelectSource)}));
  EXPECT_EQ(window().GetCheck(IDC_RANGE_OPTION), 0);
  EXPECT_TRUE(window().IsReadOnly(IDC_START_SECTOR));
  EXPECT_EQ(RangeMode, 0u);

  Select(IDC_SOURCE_LIST, 2);
  Click(IDC_RANGE_OPTION);
  EXPECT_EQ(window().GetCheck(IDC_RANGE_OPTION), 1);
  EXPECT_FALSE(window().IsReadOnly(IDC_START_SECTOR));
  EXPECT_EQ(EditText(IDC_START_SECTOR), u"0");
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"6144");  // 3 MiB in 512-byte sectors
  EXPECT_EQ(RangeMode, 1u);

  // Another source later does not change the proposal; unchecking clears it.
  Select(IDC_SOURCE_LIST, 0);
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"6144");
  Click(IDC_RANGE_OPTION);
  ExpectRangeCleared();
}

TEST_F(ListCommandsTest, RangeOptionKeepsATypedStart) {
  Open();
  Select(IDC_SOURCE_LIST, 0);
  SetEdit(IDC_START_SECTOR, u"7");  // typed while read-only is impossible; set as a paste would
  Click(IDC_RANGE_OPTION);
  EXPECT_EQ(EditText(IDC_START_SECTOR), u"7");
  EXPECT_EQ(EditText(IDC_SECTOR_COUNT), u"2048");
}

struct DetailsCase {
  const char* name;
  int s = -1, t = -1;
  bool target_image = false;
  std::u16string expected;
};

const std::u16string kSourceHeading =
    u"源硬盘>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>\n硬盘型号：\t";
const std::u16string kTargetHeading =
    u"目标硬盘>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>\n硬盘型号：\t";

class DetailsTest : public ListCommandsTest, public ::testing::WithParamInterface<DetailsCase> {};

TEST_P(DetailsTest, ShowsTheBlocksOfTheSelectedMedia) {
  const DetailsCase& c = GetParam();
  Open();
  if (c.target_image) AddImage(IDC_TARGET_IMAGE, "new.img");
  Select(IDC_SOURCE_LIST, c.s);
  Select(IDC_TARGET_LIST, c.t);
  if (std::string_view(c.name) == "Both") {
    answerer_.on_box = [](const std::u16string&) {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(
          box->grab().save(QString::fromStdString((ArtefactDir() / "details-box.png").string())));
    };
  }
  Click(IDC_DETAILS);
  EXPECT_EQ(Sequence(), (Entries{c.expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetailsTest,
    ::testing::Values(
        DetailsCase{"Nothing", -1, -1, false, Warning(texts::kSelectDrive)},
        DetailsCase{"SourceOnly", 0, -1, false,
                    u"box(详细信息,0):" + kSourceHeading +
                        u"Disk sda\n硬盘序列号：\t\n固件版本号：\t\nLBA：\t\t2048\n"
                        u"物理参数：\tC: 0  H: 255  S: 63\n\n"},
        // A target image entry: model "Image File", no serial or firmware, LBA 0 and C 0.
        DetailsCase{"TargetImageOnly", -1, 3, true,
                    u"box(详细信息,0):" + kTargetHeading +
                        u"Image File\n硬盘序列号：\t\n固件版本号：\t\nLBA：\t\t0\n"
                        u"物理参数：\tC: 0  H: 255  S: 63\n\n"},
        DetailsCase{"Both", 1, 2, false,
                    u"box(详细信息,0):" + kSourceHeading +
                        u"Disk sdb\n硬盘序列号：\t\n固件版本号：\t\nLBA：\t\t4096\n"
                        u"物理参数：\tC: 0  H: 255  S: 63\n\n" +
                        kTargetHeading +
                        u"Disk sdc\n硬盘序列号：\t\n固件版本号：\t\nLBA：\t\t6144\n"
                        u"物理参数：\tC: 0  H: 255  S: 63\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ombrix::test
