#include "catalogue/display_text.h"

namespace ombrix {

namespace {

bool IsDeceptive(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) ||                          // C0, DEL, C1 controls
         c == 0x061C || c == 0x200E || c == 0x200F ||                     // bidirectional marks
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||  // embeddings, isolates
         c == 0x2028 || c == 0x2029;  // line and paragraph separators
}

}  // namespace

std::u16string CleanForDisplay(std::u16string text) {
  for (char16_t& c : text) {
    if (IsDeceptive(c)) c = 0xFFFD;
  }
  return text;
}

}  // namespace ombrix
