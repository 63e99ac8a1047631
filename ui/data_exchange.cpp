#include "ui/data_exchange.h"

#include <limits>

namespace ombrix {

namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

std::optional<std::int64_t> ParseInt64Text(std::u16string_view text) {
  text = text.substr(0, kMaxExchangeChars);
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';

  // Accumulated as a negative number, which reaches the 64-bit minimum.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  const std::size_t first_digit = at;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    const int digit = text[at] - u'0';
    if (value < (kMin + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (at == first_digit) return std::nullopt;
  if (negative) return value;
  if (value == kMin) return std::nullopt;
  return -value;
}

std::u16string FormatInt64Text(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return {digits.begin(), digits.end()};
}

}  // namespace ombrix
