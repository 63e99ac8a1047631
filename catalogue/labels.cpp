#include "catalogue/labels.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/display_text.h"
#include "platform/text.h"

namespace ombrix {

std::u16string FormatCapacity(std::int64_t size_bytes) {
  constexpr std::int64_t kGiB = std::int64_t{1} << 30;
  constexpr std::int64_t kTiB = std::int64_t{1} << 40;
  constexpr double kPerKiB = 0.0009765625;  // 1 / 1024

  double value = static_cast<double>(size_bytes) * kPerKiB * kPerKiB;
  const char* format = "%8.2f MB";
  if (size_bytes >= kTiB) {
    value = value * kPerKiB * kPerKiB;
    format = "%8.2f TB";
  } else if (size_bytes >= kGiB) {
    value = value * kPerKiB;
    format = "%8.2f GB";
  }
  // Rounded to single precision first: 1000.00498 MB becomes 1000.00500 and prints as 1000.01.
  const float rounded = static_cast<float>(value);
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, static_cast<double>(rounded));
  const int used = length < 0 ? 0 : std::min(length, static_cast<int>(sizeof text) - 1);
  return WidenAscii({text, static_cast<std::size_t>(used)});
}

std::u16string DriveLabel(const MediaRecord& record) {
  return WidenAscii("HD" + std::to_string(record.number) + ": ") +
         CleanForDisplay(platform::AnsiToUtf16(AnsiTextOf(record.model))) +
         FormatCapacity(record.size_bytes);
}

std::u16string TargetImageLabel(const MediaRecord& record) {
  return u"Image File: " + CleanForDisplay(std::u16string(TextOf(record.name)));
}

std::u16string SourceImageLabel(const MediaRecord& record) {
  return TargetImageLabel(record) + FormatCapacity(record.size_bytes);
}

}  // namespace ombrix
