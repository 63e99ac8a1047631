// Reading a transfer's area back from the target after it was written, and comparing it with
// what was meant to be there: the source's bytes, as hashed while they were copied, or zeros.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/device.h"
#include "platform/sha256.h"

namespace ombrix {

// The area is hashed in regions of this size as well as whole, so that a difference found later
// is looked for in one region only: 2 MiB of digests for a 16 TiB disk.
inline constexpr std::int64_t kRegionBytes = std::int64_t{256} << 20;

// The SHA-256 of an area [begin, end) region by region, from its bytes given in order. Only the
// regions are hashed while copying: when all of them match, the whole area's digest is the one
// the check computes from what it reads back.
class AreaDigests {
 public:
  // Nothing when the system cannot hash. Regions of `region_bytes`, a multiple of a chunk.
  static std::optional<AreaDigests> Start(std::int64_t begin,
                                          std::int64_t region_bytes = kRegionBytes);

  void Add(std::span<const std::byte> bytes);
  // The area has ended: the regions' digests are complete from now on.
  void Finish();
  const std::vector<platform::Sha256Digest>& regions() const { return regions_; }
  std::int64_t region_bytes() const { return region_bytes_; }

 private:
  AreaDigests(std::unique_ptr<platform::Sha256> region, std::int64_t begin,
              std::int64_t region_bytes)
      : region_(std::move(region)), position_(begin), begin_(begin), region_bytes_(region_bytes) {}

  std::unique_ptr<platform::Sha256> region_;
  std::int64_t position_;
  std::int64_t begin_;
  std::int64_t region_bytes_;
  bool region_open_ = false;
  std::vector<platform::Sha256Digest> regions_;
};

// How the check of an area ended.
struct CheckResult {
  enum class Outcome { kMatch, kMismatch, kReadError, kStopped };
  Outcome outcome = Outcome::kMatch;
  std::int64_t first_bad_sector = -1;  // kMismatch: in sectors of `bytes_per_sector`
  platform::Sha256Digest digest{};     // kMatch of a copy: the area's SHA-256
};

// The target opened again to be checked: read past the system's cache.
platform::MediumPtr OpenToCheck(platform::DeviceAccess& devices, std::u16string_view path);

// What a check needs besides the media.
struct CheckSteps {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  std::uint32_t bytes_per_sector = 512;  // the chunk rule's sector and the unit of the answer
  std::span<std::byte> buffer;           // a chunk
  std::function<bool()> go_on;           // false: stop before the next step
  std::function<void(std::int64_t done)> progress;
};

// Reads [begin, end) of `target` back, the pages of each step dropped from the system's cache right
// before they are read (a reader opened kReadFromMedium has none on Windows), and compares it with
// `expected`, the source's digests. A region that differs is read again from both media to find
// its first differing sector.
CheckResult CheckCopy(platform::Medium& target, platform::Medium& source,
                      const AreaDigests& expected, const CheckSteps& steps);

// The same for a zero-fill: every byte read back must be zero.
CheckResult CheckZeros(platform::Medium& target, const CheckSteps& steps);

}  // namespace ombrix
