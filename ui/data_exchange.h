// Exchange of the dialog's 64-bit integer members with their edit fields, as decimal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ombrix {

// The prompt shown when an edit does not hold an integer.
inline constexpr std::u16string_view kIntegerPrompt = u"请输入一个整数。";

// Characters of an edit that are read at most.
inline constexpr std::size_t kMaxExchangeChars = 63;

// Reads an integer the way "%I64d" does: from the first 63 characters, after white space, an
// optional sign and decimal digits; whatever follows is ignored. Nothing when no digit comes, or
// when the number does not fit in 64 bits (it is not wrapped into another number).
std::optional<std::int64_t> ParseInt64Text(std::u16string_view text);

std::u16string FormatInt64Text(std::int64_t value);

}  // namespace ombrix
