// The real main dialog on real Qt widgets (offscreen), over a machine assembled in a folder whose
// drives are plain files, with its own tables. Tests click its controls and the BoxAnswerer
// answers the boxes that follow.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/device_linux.h"
#include "platform/qt/template_dialog.h"
#include "tests/gui/box_answerer.h"
#include "tests/support/fake_machine.h"
#include "tests/support/faulty_devices.h"
#include "tests/support/temp_dir.h"
#include "ui/ombrix_dlg.h"

namespace ombrix::test {

// The main dialog, with the end of every transfer noted in the answerer's sequence and a hook on
// the progress notifications.
class ObservedDlg final : public COmbrixDlg {
 public:
  ObservedDlg(platform::DeviceAccess& devices, MediaTable& source, MediaTable& target,
              BoxAnswerer& answerer)
      : COmbrixDlg(devices, source, target), answerer_(answerer) {}

  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam,
                          std::intptr_t lparam) override;

  std::function<void(int percent)> on_progress;
  std::vector<int> percents;

 private:
  BoxAnswerer& answerer_;
};

// Which of the transfer and list buttons are enabled, as one text: "copy zero stop ...".
std::string EnabledButtons(platform::TemplateDialog& window);
inline const std::string kIdleButtons = "copy zero source-image target-image swap reset details";
inline const std::string kBusyButtons = "stop";

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A drive of the fake machine: sdX backed by a file of `size` bytes, filled with a pattern.
  void AddDrive(const std::string& name, const std::string& dev, std::int64_t size,
                std::uint32_t sector_size = 512);
  // A file in the test's folder, filled with a pattern of its own (seeded by its name).
  std::filesystem::path MakeFile(const std::string& name, std::int64_t size);
  // Builds and shows the dialog; discovery runs over the fake machine.
  void Open();
  // The same over this machine's real drives (only for tests that write to their own loop
  // devices).
  void OpenOnThisMachine();
  // The list position of the drive whose device node is `node`, or -1.
  int PositionOfNode(const std::filesystem::path& node);

  platform::TemplateDialog& window();
  void Click(int id);
  void Select(int list, int position);
  void SetEdit(int id, std::u16string_view text);
  std::u16string EditText(int id);
  int Count(int list);
  int Selection(int list);
  // Serves the event loop until the transfer has ended (or a minute has passed).
  void WaitForIdle();
  std::vector<std::u16string> Sequence() { return answerer_.Sequence(); }

  void OpenWith(const platform::LinuxDeviceConfig& config);

  TempDir dir_;
  FakeMachine machine_;
  std::unique_ptr<platform::LinuxDeviceAccess> real_;
  std::unique_ptr<FaultyDevices> devices_;
  std::unique_ptr<MediaTable> source_ = std::make_unique<MediaTable>();
  std::unique_ptr<MediaTable> target_ = std::make_unique<MediaTable>();
  BoxAnswerer answerer_;
  std::unique_ptr<ObservedDlg> dialog_;
};

// Equal byte strings, or where they first differ (never the bytes themselves).
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

// Where the tests keep their screenshots; made if missing.
std::filesystem::path ArtefactDir();

// Every byte of a file.
std::string FileBytes(const std::filesystem::path& path);
// Bytes [offset, offset + length) of a file.
std::string FileBytes(const std::filesystem::path& path, std::int64_t offset, std::int64_t length);

}  // namespace ombrix::test
