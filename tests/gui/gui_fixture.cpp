#include "tests/gui/gui_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <fstream>
#include <random>

#include "app/resource.h"
#include "platform/qt/qt_text.h"

namespace ombrix::test {

using namespace resource;

std::intptr_t ObservedDlg::OnMessage(std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam) {
  if (message == WM_TRANSFER_PROGRESS) {
    percents.push_back(static_cast<int>(wparam));
    if (on_progress) on_progress(static_cast<int>(wparam));
  }
  const std::intptr_t result = COmbrixDlg::OnMessage(message, wparam, lparam);
  if (message == WM_TRANSFER_DONE) answerer_.Note(u"done");
  return result;
}

std::filesystem::path ArtefactDir() {
  const std::filesystem::path path = OMBRIX_ARTEFACT_DIR;
  std::filesystem::create_directories(path);
  return path;
}

std::string EnabledButtons(platform::TemplateDialog& window) {
  const std::pair<int, const char*> buttons[] = {{IDC_COPY, "copy"},
                                                 {IDC_ZERO, "zero"},
                                                 {IDC_STOP, "stop"},
                                                 {IDC_SOURCE_IMAGE, "source-image"},
                                                 {IDC_TARGET_IMAGE, "target-image"},
                                                 {IDC_SWAP, "swap"},
                                                 {IDC_RESET, "reset"},
                                                 {IDC_DETAILS, "details"}};
  std::string enabled;
  for (const auto& [id, name] : buttons) {
    if (!window.IsControlEnabled(id)) continue;
    if (!enabled.empty()) enabled += ' ';
    enabled += name;
  }
  return enabled;
}

void GuiTest::SetUp() {
  RangeMode = 0;
  RunFlag = 0;
}

void GuiTest::TearDown() {
  if (dialog_ && (dialog_->transfer_running() || TransfersRunning() > 0)) WaitForIdle();
  dialog_.reset();
  if (devices_) {
    EXPECT_EQ(devices_->open_media(), 0) << "a medium was left open";
  }
}

namespace {

// Fills a file with bytes of a pattern seeded by `seed`, so that no two media look alike.
void WritePattern(const std::filesystem::path& path, const std::string& seed, std::int64_t size) {
  std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(seed)));
  std::string bytes(static_cast<std::size_t>(size), '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  std::ofstream(path, std::ios::binary).write(bytes.data(), size);
}

}  // namespace

std::filesystem::path GuiTest::MakeFile(const std::string& name, std::int64_t size) {
  const std::filesystem::path path = dir_.path() / name;
  WritePattern(path, name, size);
  return path;
}

void GuiTest::AddDrive(const std::string& name, const std::string& dev, std::int64_t size,
                       std::uint32_t sector_size) {
  machine_.Add({.name = name,
                .dev = dev,
                .size_bytes = size,
                .attributes = {{"device/model", "Disk " + name + "\n"},
                               {"queue/logical_block_size", std::to_string(sector_size) + "\n"}}});
  WritePattern(machine_.Node(name), name, size);  // the node is the drive's content
}

void GuiTest::Open() {
  OpenWith(machine_.Config());
}
void GuiTest::OpenOnThisMachine() {
  OpenWith({});
}

void GuiTest::OpenWith(const platform::LinuxDeviceConfig& config) {
  real_ = std::make_unique<platform::LinuxDeviceAccess>(config);
  devices_ = std::make_unique<FaultyDevices>(*real_);
  dialog_ = std::make_unique<ObservedDlg>(*devices_, *source_, *target_, answerer_);
  dialog_->Create();
}

int GuiTest::PositionOfNode(const std::filesystem::path& node) {
  for (int slot = 0; slot < Count(IDC_SOURCE_LIST); ++slot) {
    const MediaRecord& record = (*source_)[slot];
    if (record.is_image == 0 && real_->DriveNode(record.number) == node) return slot;
  }
  return -1;
}

platform::TemplateDialog& GuiTest::window() {
  return dynamic_cast<platform::TemplateDialog&>(dialog_->host());
}

void GuiTest::Click(int id) {
  auto* button = qobject_cast<QAbstractButton*>(window().Control(id));
  ASSERT_NE(button, nullptr) << "no button " << id;
  button->click();
}

void GuiTest::Select(int list, int position) {
  qobject_cast<QComboBox*>(window().Control(list))->setCurrentIndex(position);
}

void GuiTest::SetEdit(int id, std::u16string_view text) {
  qobject_cast<QLineEdit*>(window().Control(id))->setText(platform::ToQString(text));
}

std::u16string GuiTest::EditText(int id) {
  return window().GetControlText(id);
}
int GuiTest::Count(int list) {
  return window().List(list).GetCount();
}
int GuiTest::Selection(int list) {
  return window().List(list).GetCurSel();
}

void GuiTest::WaitForIdle() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  // Until the dialog is idle and the worker has returned: it may show a box after its end report.
  auto running = [this] { return dialog_->transfer_running() || TransfersRunning() > 0; };
  while (running() && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_FALSE(running()) << "the transfer did not end";
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at byte " << (a - actual.begin());
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FileBytes(const std::filesystem::path& path, std::int64_t offset, std::int64_t length) {
  return FileBytes(path).substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

}  // namespace ombrix::test
