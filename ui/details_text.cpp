#include "ui/details_text.h"

#include <cstdio>

#include "catalogue/display_text.h"
#include "platform/text.h"

namespace ombrix {

namespace {

std::u16string Shown(std::span<const char> field) {
  return CleanForDisplay(platform::AnsiToUtf16(AnsiTextOf(field)));
}

}  // namespace

std::u16string DetailsBlock(const MediaRecord& record, DetailsRole role) {
  std::u16string text = role == DetailsRole::kSource
                            ? u"源硬盘>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>\n硬盘型号：\t"
                            : u"目标硬盘>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>\n硬盘型号：\t";
  text += Shown(record.model);
  text += u"\n硬盘序列号：\t";
  text += Shown(record.serial);
  text += u"\n固件版本号：\t";
  text += Shown(record.firmware);

  const std::int64_t bps = record.bytes_per_sector;
  const std::int64_t sectors = bps == 0 ? 0 : record.size_bytes / bps;
  char number[32];
  std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(sectors));
  text += u"\nLBA：\t\t";
  text += WidenAscii(number);

  // Cylinders as their low 32 bits, printed as a signed number; heads and sectors likewise.
  char geometry[96];
  std::snprintf(geometry, sizeof geometry, "C: %d  H: %d  S: %d",
                static_cast<std::int32_t>(static_cast<std::uint32_t>(record.cylinders)),
                static_cast<std::int32_t>(record.heads),
                static_cast<std::int32_t>(record.sectors_per_track));
  text += u"\n物理参数：\t";
  text += WidenAscii(geometry);
  text += u"\n\n";
  return text;
}

}  // namespace ombrix
