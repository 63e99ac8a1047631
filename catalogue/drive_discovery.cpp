#include "catalogue/drive_discovery.h"

#include "catalogue/drive_identity.h"
#include "catalogue/labels.h"
#include "platform/drive_path.h"

namespace ombrix {

namespace {

MediaRecord DriveRecord(int n, const std::u16string& path, const platform::DiskGeometryEx& geometry,
                        const DriveIdentity& identity) {
  MediaRecord record;
  record.number = n;
  SetText(record.path, path);  // a drive path always fits
  record.is_image = 0;
  record.size_bytes = geometry.disk_size;
  record.cylinders = geometry.cylinders;
  record.heads = geometry.tracks_per_cylinder;
  record.sectors_per_track = geometry.sectors_per_track;
  record.bytes_per_sector = geometry.bytes_per_sector;
  SetAnsiText(record.model, identity.model.empty() ? kNoModel : identity.model);
  // A vendor means a SCSI or USB disk, whose serial text is not the pair-encoded ATA serial.
  SetAnsiText(record.serial, identity.vendor_present ? " " : identity.serial);
  SetAnsiText(record.firmware, identity.firmware);
  return record;
}

}  // namespace

void DiscoverDrives(platform::DeviceAccess& devices, platform::ComboBox& source_list,
                    platform::ComboBox& target_list, MediaTable& source, MediaTable& target) {
  using platform::Access, platform::Share, platform::Disposition;
  devices.SnapshotDrives();

  int listed = 0;
  for (int n = 0; n < kDrivesProbed; ++n) {
    const std::u16string path = platform::FormatDrivePath(n);
    const auto opened =
        devices.Open(path, Access::kRead, Share::kReadWrite, Disposition::kOpenExisting);
    if (!opened.medium) continue;

    // A drive that does not answer the geometry query is listed with size 0.
    const auto geometry = opened.medium->DriveGeometry().value_or(platform::DiskGeometryEx{});
    const MediaRecord record = DriveRecord(n, path, geometry, QueryDriveIdentity(devices, n));
    if (!StoreRecord(source, listed, record)) break;
    const std::u16string label = DriveLabel(record);
    source_list.AddString(label);
    target_list.AddString(label);
    ++listed;
  }
  target = source;
}

}  // namespace ombrix
