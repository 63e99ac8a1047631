// Serial texts as a drive's descriptor delivers them: decoding, normalising, and the encoding
// of plain serials into that form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogue/serial_text.h"
#include "platform/serial_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (ombrix::SerialFromText(text).size() > ombrix::kMaxSerialTextChars) std::abort();
  const std::string encoded = ombrix::platform::EncodeSerialAsSwappedHex(text);
  // Every encoded serial survives the catalogue's cut of the text it reads.
  if (encoded.size() > ombrix::kMaxSerialTextChars) std::abort();
  ombrix::SerialFromText(ombrix::platform::SerialInCatalogueForm(text));
  return 0;
}
