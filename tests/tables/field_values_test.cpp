#include "tables/field_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pontexa::tables::dbf {
namespace {

using namespace std::string_view_literals;
using Kind = FieldValue::Kind;

TEST(FieldValues, CharacterDropsTrailingFillOnly) {
  EXPECT_EQ(ParseCharacter("1A        "sv)->text, "1A");
  EXPECT_EQ(ParseCharacter(" 1A  "sv)->text, " 1A");
  EXPECT_EQ(ParseCharacter("AB\0\0\0"sv)->text, "AB");
  EXPECT_EQ(ParseCharacter("    "sv)->kind, Kind::Empty);
  EXPECT_EQ(ParseCharacter("\xC1rea "sv)->text, "\xC1rea");
}

TEST(FieldValues, NumericText) {
  struct Case {
    std::string_view bytes;
    int decimals;
    Kind kind;
    double value;
  };
  const Case cases[] = {
      {"         42"sv, 0, Kind::Integer, 42},
      {"        -17"sv, 0, Kind::Integer, -17},
      {"         +5"sv, 0, Kind::Integer, 5},
      {"   2.500000"sv, 6, Kind::Real, 2.5},
      {"     -0.125"sv, 3, Kind::Real, -0.125},
      {"        .5"sv, 1, Kind::Real, 0.5},
      {"        3."sv, 0, Kind::Real, 3},
      {"     1.5E+3"sv, 0, Kind::Real, 1500},
      {"        3.0"sv, 0, Kind::Real, 3},  // decimals in a whole-number field
      {"           "sv, 0, Kind::Empty, 0},
      {"\0\0\0\0"sv, 2, Kind::Empty, 0},
      {"12345678901234567890"sv, 0, Kind::Real, 12345678901234567890.0},  // beyond int64
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.bytes));
    const auto value = ParseNumeric(c.bytes, c.decimals);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->kind, c.kind);
    if (c.kind == Kind::Integer) {
      EXPECT_EQ(value->integer, static_cast<std::int64_t>(c.value));
    }
    if (c.kind == Kind::Real) {
      EXPECT_DOUBLE_EQ(value->real, c.value);
    }
  }
}

TEST(FieldValues, NumericRejectsWhatIsNoNumber) {
  for (std::string_view bytes : {"    x"sv, "  1,5"sv, "  1 2"sv, "    -"sv, "   ."sv, "  1e"sv, " 0x10"sv,
                                 "  ***"sv, "1e999"sv, "  nan"sv, "  inf"sv}) {
    SCOPED_TRACE(std::string(bytes));
    EXPECT_FALSE(ParseNumeric(bytes, 2));
  }
}

TEST(FieldValues, FoxProIntegerIsLittleEndian) {
  EXPECT_EQ(ParseIntegerLE("\x01\x00\x00\x00"sv)->integer, 1);
  EXPECT_EQ(ParseIntegerLE("\xFF\xFF\xFF\xFF"sv)->integer, -1);
  EXPECT_EQ(ParseIntegerLE("\x00\x00\x00\x80"sv)->integer, std::numeric_limits<std::int32_t>::min());
  // FoxPro has no empty integer: zero bytes are 0.
  EXPECT_EQ(ParseIntegerLE("\0\0\0\0"sv)->kind, Kind::Integer);
  EXPECT_FALSE(ParseIntegerLE("\x01\x00\x00"sv));
}

TEST(FieldValues, DBase7IntegerIsBigEndianWithSignBitFlipped) {
  EXPECT_EQ(ParseIntegerDBase7("\x80\x00\x00\x01"sv)->integer, 1);
  EXPECT_EQ(ParseIntegerDBase7("\x80\x00\x00\x00"sv)->integer, 0);
  EXPECT_EQ(ParseIntegerDBase7("\x7F\xFF\xFF\xFF"sv)->integer, -1);
  EXPECT_EQ(ParseIntegerDBase7("\x80\x00\x01\x00"sv)->integer, 256);
  EXPECT_EQ(ParseIntegerDBase7("\0\0\0\0"sv)->kind, Kind::Empty);
}

TEST(FieldValues, DoubleEncodings) {
  // 2.5 is 0x4004000000000000.
  EXPECT_DOUBLE_EQ(ParseDoubleLE("\x00\x00\x00\x00\x00\x00\x04\x40"sv)->real, 2.5);
  EXPECT_DOUBLE_EQ(ParseDoubleDBase7("\xC0\x04\x00\x00\x00\x00\x00\x00"sv)->real, 2.5);
  // -2.5 is 0xC004000000000000; dBase 7 inverts every bit of a negative value.
  EXPECT_DOUBLE_EQ(ParseDoubleDBase7("\x3F\xFB\xFF\xFF\xFF\xFF\xFF\xFF"sv)->real, -2.5);
  EXPECT_DOUBLE_EQ(ParseDoubleDBase7("\x80\x00\x00\x00\x00\x00\x00\x00"sv)->real, 0.0);
  EXPECT_EQ(ParseDoubleDBase7("\0\0\0\0\0\0\0\0"sv)->kind, Kind::Empty);
}

TEST(FieldValues, CurrencyIsInTenThousandths) {
  EXPECT_DOUBLE_EQ(ParseCurrency("\x10\x27\x00\x00\x00\x00\x00\x00"sv)->real, 1.0);      // 10000
  EXPECT_DOUBLE_EQ(ParseCurrency("\x88\x13\x00\x00\x00\x00\x00\x00"sv)->real, 0.5);      // 5000
  EXPECT_DOUBLE_EQ(ParseCurrency("\xF0\xD8\xFF\xFF\xFF\xFF\xFF\xFF"sv)->real, -1.0);     // -10000
}

TEST(FieldValues, DatesAndLogicalsKeepTheirText) {
  EXPECT_EQ(ParseDate("20240501"sv)->text, "20240501");
  EXPECT_EQ(ParseDate("        "sv)->kind, Kind::Empty);
  EXPECT_FALSE(ParseDate("2024-5-1"sv));
  EXPECT_EQ(ParseLogical("T"sv)->text, "T");
  EXPECT_EQ(ParseLogical("?"sv)->text, "?");
  EXPECT_EQ(ParseLogical(" "sv)->kind, Kind::Empty);
}

TEST(FieldValues, Timestamps) {
  // Julian day 2460432 is 2024-05-01; 37815000 ms is 10:30:15.
  EXPECT_EQ(ParseDateTimeFox("\x10\x8B\x25\x00\xD8\x02\x41\x02"sv)->text, "2024-05-01 10:30:15");
  EXPECT_EQ(ParseDateTimeFox("\0\0\0\0\0\0\0\0"sv)->kind, Kind::Empty);
  EXPECT_FALSE(ParseDateTimeFox("\x10\x8B\x25\x00\x00\x5C\x26\x05"sv));  // 24:00:00 and beyond
  // The same moment for dBase 7: (2460432 * 86400000 + 37815000) ms as a sortable double.
  // 212581362615000.0 is 0x42E82AEE93585B00.
  EXPECT_EQ(ParseTimestampDBase7("\xC2\xE8\x2A\xEE\x93\x58\x5B\x00"sv)->text, "2024-05-01 10:30:15");
  EXPECT_EQ(ParseTimestampDBase7("\0\0\0\0\0\0\0\0"sv)->kind, Kind::Empty);
}

TEST(FieldValues, EmptyRuleIsPerEncoding) {
  EXPECT_TRUE(IsEmptyValue(Decoding::Character, "   "sv));
  EXPECT_TRUE(IsEmptyValue(Decoding::Numeric, "\0\0 "sv));
  EXPECT_FALSE(IsEmptyValue(Decoding::Numeric, "  0"sv));
  EXPECT_TRUE(IsEmptyValue(Decoding::IntegerDBase7, "\0\0\0\0"sv));
  EXPECT_FALSE(IsEmptyValue(Decoding::IntegerLE, "\0\0\0\0"sv));
  EXPECT_FALSE(IsEmptyValue(Decoding::Currency, "\0\0\0\0\0\0\0\0"sv));
  EXPECT_TRUE(IsEmptyValue(Decoding::DateTimeFox, "        "sv));
}

TEST(FieldValues, MemoAndHiddenAreNotRead) {
  EXPECT_EQ(ParseField(Decoding::Memo, "         1"sv, 0)->kind, Kind::Unread);
  EXPECT_EQ(ParseField(Decoding::Hidden, "\x01"sv, 0)->kind, Kind::Unread);
}

}  // namespace
}  // namespace pontexa::tables::dbf
