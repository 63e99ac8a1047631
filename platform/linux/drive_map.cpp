#include "platform/linux/drive_map.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "platform/linux/sysfs.h"

namespace ombrix::platform {

namespace {

// Kernel disk names are at most 31 characters; longer ones are not ours to interpret.
constexpr std::size_t kMaxDiskName = 31;
// 26^13 still fits in 64 bits; the kernel never names a disk with more letters.
constexpr std::size_t kMaxLetters = 13;

struct Pattern {
  std::string_view prefix;
  DriveKind kind;
  bool letter_index;  // sda, sdb...; otherwise numbers: nvme0n1, mmcblk0, loop0
};

// In drive-number order of the kinds.
constexpr Pattern kPatterns[] = {
    {"sd", DriveKind::kScsi, true},    {"nvme", DriveKind::kNvme, false},
    {"vd", DriveKind::kVirtio, true},  {"xvd", DriveKind::kXen, true},
    {"hd", DriveKind::kIde, true},     {"mmcblk", DriveKind::kMmc, false},
    {"loop", DriveKind::kLoop, false},
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}

// The numbers that order a name within its kind: the bijective base-26 value of a letter suffix
// (a = 1, z = 26, aa = 27), or the decimal runs of a numbered name. Nothing when the suffix does
// not have the kind's exact shape.
std::optional<std::vector<std::uint64_t>> IndexOf(const Pattern& p, std::string_view suffix) {
  if (suffix.empty()) return std::nullopt;
  std::vector<std::uint64_t> index;
  if (p.letter_index) {
    if (suffix.size() > kMaxLetters) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : suffix) {
      if (!IsLower(c)) return std::nullopt;
      value = value * 26 + static_cast<std::uint64_t>(c - 'a' + 1);
    }
    index.push_back(value);
    return index;
  }
  // nvme<ctrl>n<ns>, mmcblk<n>, loop<n>
  const std::size_t runs = p.kind == DriveKind::kNvme ? 2 : 1;
  std::size_t at = 0;
  for (std::size_t run = 0; run < runs; ++run) {
    if (run > 0) {
      if (at >= suffix.size() || suffix[at] != 'n') return std::nullopt;
      ++at;
    }
    const std::size_t begin = at;
    std::uint64_t value = 0;
    while (at < suffix.size() && IsDigit(suffix[at]) && at - begin < 12) {
      value = value * 10 + static_cast<std::uint64_t>(suffix[at] - '0');
      ++at;
    }
    if (at == begin) return std::nullopt;
    index.push_back(value);
  }
  if (at != suffix.size()) return std::nullopt;
  return index;
}

struct OrderKey {
  std::size_t kind_rank;
  std::vector<std::uint64_t> index;
  auto operator<=>(const OrderKey&) const = default;
};

std::optional<OrderKey> KeyOf(std::string_view name) {
  if (name.size() > kMaxDiskName) return std::nullopt;
  for (std::size_t rank = 0; rank < std::size(kPatterns); ++rank) {
    const Pattern& p = kPatterns[rank];
    if (!name.starts_with(p.prefix)) continue;
    if (auto index = IndexOf(p, name.substr(p.prefix.size()))) return OrderKey{rank, *index};
  }
  return std::nullopt;
}

}  // namespace

std::optional<DriveKind> ClassifyBlockDevice(std::string_view name) {
  const auto key = KeyOf(name);
  if (!key) return std::nullopt;
  return kPatterns[key->kind_rank].kind;
}

bool DriveOrderLess(std::string_view a, std::string_view b) {
  return *KeyOf(a) < *KeyOf(b);
}

std::vector<DriveEntry> ScanDrives(const std::filesystem::path& sys_root) {
  std::vector<DriveEntry> drives;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(sys_root / "block", error)) {
    const std::string name = item.path().filename().string();
    const auto kind = ClassifyBlockDevice(name);
    if (!kind) continue;
    const std::filesystem::path dir = item.path();
    auto attribute = [&](const char* file) { return sysfs::ReadFile(dir / file); };

    if (const auto hidden = attribute("hidden"); hidden && sysfs::ParseDecimal(*hidden) == 1u) {
      continue;
    }
    if (*kind == DriveKind::kLoop) {
      const auto backing = attribute("loop/backing_file");
      if (!backing || sysfs::AttributeText(*backing).empty()) continue;
    }
    const auto dev = attribute("dev");
    const auto device_number = dev ? sysfs::ParseDeviceNumber(*dev) : std::nullopt;
    if (!device_number) continue;
    // "size" counts 512-byte units whatever the logical sector size.
    const auto size = attribute("size");
    const auto units = size ? sysfs::ParseDecimal(*size) : std::nullopt;
    if (!units ||
        *units > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) / 512) {
      continue;
    }
    const auto sequence = attribute("diskseq");
    drives.push_back(DriveEntry{
        .name = name,
        .kind = *kind,
        .device_number = *device_number,
        .size_bytes = static_cast<std::int64_t>(*units * 512),
        .disk_sequence = sequence ? sysfs::ParseDecimal(*sequence) : std::nullopt,
    });
  }
  std::sort(drives.begin(), drives.end(), [](const DriveEntry& a, const DriveEntry& b) {
    return DriveOrderLess(a.name, b.name);
  });
  return drives;
}

}  // namespace ombrix::platform
