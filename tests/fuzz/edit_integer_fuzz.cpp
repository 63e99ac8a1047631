// The text of a range edit, read as "%I64d" reads it: whatever it holds, a number that was read
// is written back as a text that reads as the same number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/data_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::optional<std::int64_t> value = ombrix::ParseInt64Text(text);
  if (value && ombrix::ParseInt64Text(ombrix::FormatInt64Text(*value)) != value) std::abort();
  return 0;
}
