#include "ui/data_exchange.h"

#include <gtest/gtest.h>

#include <limits>

namespace ombrix {
namespace {

TEST(DataExchange, ReadsIntegersAsScanfDoes) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  struct Case {
    std::u16string text;
    std::optional<std::int64_t> value;
  };
  const Case cases[] = {
      {u"0", 0},
      {u"2048", 2048},
      {u"  \t+17", 17},
      {u"-5", -5},
      {u"12abc", 12},  // trailing text is ignored
      {u"1 2", 1},
      {u"9223372036854775807", kMax},
      {u"-9223372036854775808", kMin},
      {u"007", 7},
      {u"", std::nullopt},
      {u"abc", std::nullopt},
      {u"-", std::nullopt},
      {u"+ 5", std::nullopt},
      {u"１２", std::nullopt},                 // full-width digits are not digits
      {u"9223372036854775808", std::nullopt},  // does not fit: refused, not wrapped
      {u"-9223372036854775809", std::nullopt},
      {u"99999999999999999999999", std::nullopt},
      // Only the first 63 characters are read: 62 blanks leave room for one digit.
      {std::u16string(62, u' ') + u"34", 3},
      {std::u16string(63, u' ') + u"5", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseInt64Text(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(DataExchange, WritesDecimalText) {
  EXPECT_EQ(FormatInt64Text(0), u"0");
  EXPECT_EQ(FormatInt64Text(-42), u"-42");
  EXPECT_EQ(FormatInt64Text(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
  for (std::int64_t v : {std::int64_t{1} << 40, std::int64_t{-1}}) {
    EXPECT_EQ(ParseInt64Text(FormatInt64Text(v)), v);
  }
}

}  // namespace
}  // namespace ombrix
