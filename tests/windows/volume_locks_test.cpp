// Which opens of a physical drive take it from its file systems, under Wine with a file of the
// test's own behind \\.\PhysicalDrive9 and a machine of volumes of the test's own: only an open
// for writing locks and dismounts the drive's volumes, a volume that cannot be opened or locked
// refuses the write, and the volumes come back only after the drive's handle is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/drive_path.h"
#include "platform/win32/device_win32.h"
#include "platform/win32/volume_locks.h"

namespace ombrix::platform {
namespace {

constexpr int kDrive = 9;

// The file behind the drive, opened exclusively: refused while the drive's handle is open.
bool DriveClosed() {
  const UniqueHandle probe(
      ::CreateFileW(OMBRIX_DRIVE_FILE, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return probe.valid();
}

struct FakeVolume {
  std::vector<DWORD> disks;
  bool opens = true;
  bool locks = true;
};

// Volumes of the test's own; a handle of each is an event, so it is a real handle to close.
class FakeVolumes final : public Volumes {
 public:
  explicit FakeVolumes(std::map<std::wstring, FakeVolume> volumes) : volumes_(std::move(volumes)) {}

  std::vector<std::wstring> Names() override {
    std::vector<std::wstring> names;
    for (const auto& [name, volume] : volumes_) names.push_back(name);
    return names;
  }
  std::optional<std::vector<DWORD>> DisksOf(const std::wstring& name) override {
    return volumes_.at(name).disks;
  }
  UniqueHandle OpenForLocking(const std::wstring& name) override {
    if (!volumes_.at(name).opens) return UniqueHandle();
    UniqueHandle handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    names_[handle.get()] = name;
    return handle;
  }
  bool Lock(HANDLE handle) override {
    const std::wstring& name = names_.at(handle);
    if (!volumes_.at(name).locks) return false;
    events.push_back(L"lock " + name);
    return true;
  }
  void Dismount(HANDLE handle) override { events.push_back(L"dismount " + names_.at(handle)); }
  void Unlock(HANDLE handle) override {
    events.push_back(L"unlock " + names_.at(handle) + (DriveClosed() ? L" after" : L" before") +
                     L" the drive closed");
  }

  std::vector<std::wstring> events;

 private:
  std::map<std::wstring, FakeVolume> volumes_;
  std::map<HANDLE, std::wstring> names_;
};

using Events = std::vector<std::wstring>;

TEST(DriveVolumes, OnlyAnOpenForWritingTakesTheDriveFromItsVolumes) {
  FakeVolumes volumes({{L"A", {{kDrive}}}, {L"B", {{3}}}, {L"C", {{3, kDrive}}}});
  Win32DeviceAccess devices(volumes);

  // The source of a copy: read, and its volumes stay mounted.
  {
    auto source = OpenForReading(devices, FormatDrivePath(kDrive), Disposition::kOpenExisting);
    ASSERT_NE(source.medium, nullptr) << "no drive behind \\\\.\\PhysicalDrive9";
    std::vector<std::byte> sector(512);
    EXPECT_TRUE(source.medium->Read(sector).ok);
    EXPECT_EQ(volumes.events, Events{});
  }

  // The target: every volume with an extent on the drive, and only those, until it is closed.
  {
    auto target = devices.Open(FormatDrivePath(kDrive), Access::kReadWrite, Share::kRead,
                               Disposition::kOpenExisting);
    ASSERT_NE(target.medium, nullptr);
    EXPECT_EQ(volumes.events, (Events{L"lock A", L"dismount A", L"lock C", L"dismount C"}));
    volumes.events.clear();
  }
  EXPECT_EQ(volumes.events,
            (Events{L"unlock A after the drive closed", L"unlock C after the drive closed"}));
}

struct RefusalCase {
  const char* name;
  FakeVolume second;  // the first volume on the drive locks; this one follows it
  friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

class VolumeRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(VolumeRefusalTest, RefusesTheWriteAndReleasesWhatWasLocked) {
  FakeVolumes volumes({{L"A", {{kDrive}}}, {L"B", GetParam().second}});
  Win32DeviceAccess devices(volumes);
  auto target = devices.Open(FormatDrivePath(kDrive), Access::kReadWrite, Share::kRead,
                             Disposition::kOpenExisting);
  EXPECT_EQ(target.medium, nullptr);
  EXPECT_EQ(target.error, OpenError::kBusy);
  EXPECT_EQ(volumes.events, (Events{L"lock A", L"dismount A", L"unlock A after the drive closed"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VolumeRefusalTest,
    ::testing::Values(RefusalCase{"NotOpenable", {{kDrive}, /*opens=*/false, true}},
                      RefusalCase{"NotLockable", {{kDrive}, true, /*locks=*/false}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ombrix::platform
