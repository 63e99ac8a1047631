// The texts of the list entries: the capacity and the labels of drives and image files.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/media_record.h"

namespace ombrix {

// "%8.2f MB", "%8.2f GB" or "%8.2f TB", the unit chosen by size, the quotient rounded to single
// precision before it is printed: "    1.00 GB".
std::u16string FormatCapacity(std::int64_t size_bytes);

// "HD0: " + model + capacity.
std::u16string DriveLabel(const MediaRecord& record);

// "Image File: " + file name + capacity; a target image entry has no capacity yet.
std::u16string SourceImageLabel(const MediaRecord& record);
std::u16string TargetImageLabel(const MediaRecord& record);

}  // namespace ombrix
