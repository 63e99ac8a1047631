// The text of the details box: one block for the selected source, one for the selected target.
#pragma once

#include <string>

#include "catalogue/media_record.h"

namespace ombrix {

enum class DetailsRole { kSource, kTarget };

// Heading, model, serial, firmware, sector count and geometry of one entry.
std::u16string DetailsBlock(const MediaRecord& record, DetailsRole role);

}  // namespace ombrix
