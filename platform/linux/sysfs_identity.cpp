#include "platform/linux/sysfs_identity.h"

#include "platform/linux/sysfs.h"
#include "platform/serial_encoding.h"
#include "platform/storage_descriptor.h"

namespace ombrix::platform {

namespace {

std::span<const std::byte> Bytes(const std::string& s) {
  return std::as_bytes(std::span(s));
}

class DriveFolder {
 public:
  explicit DriveFolder(std::filesystem::path dir) : dir_(std::move(dir)) {}

  std::optional<std::string> Raw(const char* file) const { return sysfs::ReadFile(dir_ / file); }

  // An attribute's text as a descriptor would carry it, cut like a descriptor text.
  std::optional<std::string> Text(const char* file) const {
    const auto raw = Raw(file);
    if (!raw) return std::nullopt;
    return sysfs::AttributeText(*raw).substr(0, kMaxDescriptorText);
  }

  std::optional<std::string> Serial(const char* file) const {
    const auto text = Text(file);
    if (!text) return std::nullopt;
    return EncodeSerialAsSwappedHex(*text);
  }

 private:
  std::filesystem::path dir_;
};

std::optional<std::string> Encoded(const std::optional<std::string>& serial) {
  if (!serial) return std::nullopt;
  return EncodeSerialAsSwappedHex(*serial);
}

StorageDescriptorTexts ScsiTexts(const DriveFolder& disk) {
  const auto vendor = disk.Text("device/vendor");
  const auto page80 = disk.Raw("device/vpd_pg80");
  const auto unit_serial = page80 ? sysfs::ParseUnitSerialPage(Bytes(*page80)) : std::nullopt;

  // libata presents ATA disks as SCSI disks of vendor "ATA" with the model cut to 16 characters.
  // Windows reports them without a vendor and with the full model, which the IDENTIFY data holds.
  const bool ata = vendor && vendor->starts_with("ATA") &&
                   vendor->find_first_not_of(' ', 3) == std::string::npos;
  if (!ata) {
    return {.vendor = vendor,
            .product = disk.Text("device/model"),
            .revision = disk.Text("device/rev"),
            .serial = Encoded(unit_serial)};
  }
  if (const auto page89 = disk.Raw("device/vpd_pg89")) {
    if (const auto id = sysfs::ParseAtaInformationPage(Bytes(*page89))) {
      return {.product = id->model,
              .revision = id->firmware,
              .serial = EncodeSerialAsSwappedHex(id->serial)};
    }
  }
  return {.product = disk.Text("device/model"),
          .revision = disk.Text("device/rev"),
          .serial = Encoded(unit_serial)};
}

}  // namespace

StorageDescriptorTexts ReadDriveTexts(const std::filesystem::path& block_dir, DriveKind kind) {
  const DriveFolder disk(block_dir);
  switch (kind) {
    case DriveKind::kScsi:
      return ScsiTexts(disk);
    case DriveKind::kNvme:
      return {.product = disk.Text("device/model"),
              .revision = disk.Text("device/firmware_rev"),
              .serial = disk.Serial("device/serial")};
    case DriveKind::kVirtio:
      return {.serial = disk.Serial("serial")};
    case DriveKind::kXen:
      return {};
    case DriveKind::kIde:
      return {.product = disk.Text("device/model")};
    case DriveKind::kMmc:
      return {.product = disk.Text("device/name"),
              .revision = disk.Text("device/fwrev"),
              .serial = disk.Serial("device/serial")};
    case DriveKind::kLoop: {
      // A loop device has no model of its own; the attached file is what tells one from another.
      const auto backing = disk.Text("loop/backing_file");
      if (!backing) return {};
      return {.product = "Loop " + std::filesystem::path(*backing).filename().string()};
    }
  }
  return {};
}

}  // namespace ombrix::platform
