// Everything the program knows about a disk or an image file, and the two tables behind the source
// and target lists. Slot k of a table describes position k of its list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ombrix {

// Entries a list and its table hold at most.
inline constexpr int kMaxEntries = 128;

inline constexpr std::size_t kPathUnits = 516;
inline constexpr std::size_t kNameUnits = 256;
inline constexpr std::size_t kModelBytes = 40;
inline constexpr std::size_t kSerialBytes = 20;
inline constexpr std::size_t kFirmwareBytes = 12;

// The fixed geometry and model of every image file entry.
inline constexpr std::uint32_t kImageHeads = 255;
inline constexpr std::uint32_t kImageSectorsPerTrack = 63;
inline constexpr std::uint32_t kImageBytesPerSector = 512;
inline constexpr std::string_view kImageModel = "Image File";

struct MediaRecord {
  std::int32_t number = 0;  // drive number, or the list position an image entry was added at
  std::array<char16_t, kPathUnits> path{};  // zero-terminated
  std::array<char16_t, kNameUnits> name{};  // file name of an image; empty for a drive
  std::int32_t is_image = 0;
  std::int64_t size_bytes = 0;
  // ANSI texts as the drive delivers them: zero-padded, without terminator when full.
  std::array<char, kModelBytes> model{};
  std::array<char, kSerialBytes> serial{};
  std::array<char, kFirmwareBytes> firmware{};
  std::int64_t cylinders = 0;
  std::uint32_t heads = 0;
  std::uint32_t sectors_per_track = 0;
  std::uint32_t bytes_per_sector = 0;

  bool operator==(const MediaRecord&) const = default;
};

using MediaTable = std::array<MediaRecord, kMaxEntries>;

// Behind the source list and the target list, for the whole run.
extern MediaTable SourceTable;
extern MediaTable TargetTable;

// Writes a zero-terminated UTF-16 text into a field. A text that does not fit with its terminator
// is refused and the field left as it was: a cut path would name another file.
bool SetText(std::span<char16_t> field, std::u16string_view text);
std::u16string_view TextOf(std::span<const char16_t> field);

// Writes an ANSI text into a fixed-width field: cut at the width, zero-padded.
void SetAnsiText(std::span<char> field, std::string_view text);
// Reads a fixed-width field: up to its first zero byte, never past its width.
std::string_view AnsiTextOf(std::span<const char> field);

// The record in a slot, or null when the slot lies outside the table.
const MediaRecord* RecordAt(const MediaTable& table, int slot);

// Puts a record into a slot; refused when the slot lies outside the table.
bool StoreRecord(MediaTable& table, int slot, const MediaRecord& record);

}  // namespace ombrix
