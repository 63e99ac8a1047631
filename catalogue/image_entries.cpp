#include "catalogue/image_entries.h"

namespace ombrix {

std::optional<MediaRecord> TargetImageRecord(int slot, std::u16string_view path,
                                             std::u16string_view name) {
  MediaRecord record;
  record.number = slot;
  if (!SetText(record.path, path) || !SetText(record.name, name)) return std::nullopt;
  record.is_image = 1;
  SetAnsiText(record.model, kImageModel);
  record.heads = kImageHeads;
  record.sectors_per_track = kImageSectorsPerTrack;
  record.bytes_per_sector = kImageBytesPerSector;
  return record;
}

std::optional<MediaRecord> SourceImageRecord(int slot, std::u16string_view path,
                                             std::u16string_view name, std::int64_t file_size) {
  auto record = TargetImageRecord(slot, path, name);
  if (!record) return std::nullopt;
  record->size_bytes = file_size - file_size % kImageBytesPerSector;
  record->cylinders = ((record->size_bytes / kImageHeads) / kImageSectorsPerTrack) /
                      std::int64_t{kImageBytesPerSector};
  return record;
}

}  // namespace ombrix
