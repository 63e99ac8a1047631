// The records of image file entries: raw sector images without header, listed with the fixed
// geometry of 255 heads, 63 sectors per track and 512-byte sectors.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "catalogue/media_record.h"

namespace ombrix {

// A source image's record at list position `slot`. The size is the file's, cut down to whole
// sectors. Nothing when the path or name does not fit the record.
std::optional<MediaRecord> SourceImageRecord(int slot, std::u16string_view path,
                                             std::u16string_view name, std::int64_t file_size);

// A target image's record: only a path so far, size 0; the first copy creates or grows the file.
std::optional<MediaRecord> TargetImageRecord(int slot, std::u16string_view path,
                                             std::u16string_view name);

}  // namespace ombrix
