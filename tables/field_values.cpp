#include "tables/field_values.h"

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>

namespace pontexa::tables::dbf {
namespace {

constexpr std::int64_t kJulianDayOf1970 = 2440588;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr double kCurrencyScale = 10'000.0;
constexpr std::uint32_t kSignBit32 = 0x8000'0000u;
constexpr std::uint64_t kSignBit64 = 0x8000'0000'0000'0000ull;

bool IsFill(char c) { return c == ' ' || c == '\0'; }

bool AllFill(std::string_view bytes) {
  for (char c : bytes)
    if (!IsFill(c)) return false;
  return true;
}

bool AllZero(std::string_view bytes) {
  for (char c : bytes)
    if (c != '\0') return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsFill(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsFill(text.back())) text.remove_suffix(1);
  return text;
}

std::uint32_t LoadLE32(std::string_view b) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}

std::uint32_t LoadBE32(std::string_view b) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}

std::uint64_t LoadLE64(std::string_view b) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}

std::uint64_t LoadBE64(std::string_view b) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<unsigned char>(b[i]);
  return v;
}

// dBase 7 stores doubles so that their bytes sort like their values: positive
// numbers with the sign bit set, negative ones with every bit inverted.
double DecodeSortableDouble(std::uint64_t bits) {
  bits = (bits & kSignBit64) ? (bits ^ kSignBit64) : ~bits;
  return std::bit_cast<double>(bits);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [sign] digits [. digits] [E [sign] digits], with digits on at least one side
// of the point: what dBase writers put into N and F fields.
bool IsDecimalText(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == t.size();
}

std::string TwoDigits(unsigned value) {
  std::string s(2, '0');
  s[0] = static_cast<char>('0' + value / 10 % 10);
  s[1] = static_cast<char>('0' + value % 10);
  return s;
}

// "YYYY-MM-DD HH:MM:SS" of a julian day number and the milliseconds into it.
std::optional<FieldValue> FormatTimestamp(std::int64_t julianDay, std::int64_t milliseconds) {
  using namespace std::chrono;
  if (milliseconds < 0 || milliseconds >= kMillisecondsPerDay) return std::nullopt;
  // Years 1 to 9999 only: beyond them the text would not have four digits.
  constexpr std::int64_t kFirst = 1721426;  // 0001-01-01
  constexpr std::int64_t kLast = 5373484;   // 9999-12-31
  if (julianDay < kFirst || julianDay > kLast) return std::nullopt;
  const year_month_day date{sys_days{} + days{julianDay - kJulianDayOf1970}};
  const std::int64_t seconds = milliseconds / 1000;
  std::string text;
  char year[8];
  auto [end, ec] = std::to_chars(year, year + sizeof year, static_cast<int>(date.year()));
  (void)ec;
  text.append(4 - (end - year), '0');
  text.append(year, end);
  text += '-' + TwoDigits(static_cast<unsigned>(date.month())) + '-' +
          TwoDigits(static_cast<unsigned>(date.day())) + ' ' +
          TwoDigits(static_cast<unsigned>(seconds / 3600)) + ':' +
          TwoDigits(static_cast<unsigned>(seconds / 60 % 60)) + ':' +
          TwoDigits(static_cast<unsigned>(seconds % 60));
  return FieldValue::OfText(std::move(text));
}

}  // namespace

bool IsEmptyValue(Decoding decoding, std::string_view bytes) {
  switch (decoding) {
    case Decoding::Character:
    case Decoding::Numeric:
    case Decoding::Date:
    case Decoding::Logical:
      return AllFill(bytes);
    case Decoding::IntegerDBase7:
    case Decoding::DoubleDBase7:
    case Decoding::TimestampDBase7:
      return AllZero(bytes);
    case Decoding::DateTimeFox:
      return AllZero(bytes) || AllFill(bytes);
    case Decoding::IntegerLE:
    case Decoding::DoubleLE:
    case Decoding::Currency:
      return false;
    case Decoding::Memo:
    case Decoding::Hidden:
      return false;
  }
  return false;
}

std::optional<FieldValue> ParseCharacter(std::string_view bytes) {
  while (!bytes.empty() && IsFill(bytes.back())) bytes.remove_suffix(1);
  if (bytes.empty()) return FieldValue::Empty();
  return FieldValue::OfText(std::string(bytes));
}

std::optional<FieldValue> ParseNumeric(std::string_view bytes, int decimals) {
  std::string_view text = Trim(bytes);
  if (text.empty()) return FieldValue::Empty();
  if (!IsDecimalText(text)) return std::nullopt;
  // from_chars takes no '+'.
  std::string_view digits = text.front() == '+' ? text.substr(1) : text;
  if (decimals == 0) {
    std::int64_t whole = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), whole);
    if (ec == std::errc() && end == digits.data() + digits.size()) return FieldValue::OfInteger(whole);
  }
  double value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range) return std::nullopt;
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return FieldValue::OfReal(value);
}

std::optional<FieldValue> ParseIntegerLE(std::string_view bytes) {
  if (bytes.size() != 4) return std::nullopt;
  return FieldValue::OfInteger(static_cast<std::int32_t>(LoadLE32(bytes)));
}

std::optional<FieldValue> ParseIntegerDBase7(std::string_view bytes) {
  if (bytes.size() != 4) return std::nullopt;
  if (IsEmptyValue(Decoding::IntegerDBase7, bytes)) return FieldValue::Empty();
  return FieldValue::OfInteger(static_cast<std::int32_t>(LoadBE32(bytes) ^ kSignBit32));
}

std::optional<FieldValue> ParseDoubleLE(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  return FieldValue::OfReal(std::bit_cast<double>(LoadLE64(bytes)));
}

std::optional<FieldValue> ParseDoubleDBase7(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  if (IsEmptyValue(Decoding::DoubleDBase7, bytes)) return FieldValue::Empty();
  return FieldValue::OfReal(DecodeSortableDouble(LoadBE64(bytes)));
}

std::optional<FieldValue> ParseCurrency(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  const auto units = static_cast<std::int64_t>(LoadLE64(bytes));
  return FieldValue::OfReal(static_cast<double>(units) / kCurrencyScale);
}

std::optional<FieldValue> ParseDate(std::string_view bytes) {
  std::string_view text = Trim(bytes);
  if (text.empty()) return FieldValue::Empty();
  if (text.size() != 8) return std::nullopt;
  for (char c : text)
    if (!IsDigit(c)) return std::nullopt;
  return FieldValue::OfText(std::string(text));
}

std::optional<FieldValue> ParseLogical(std::string_view bytes) {
  std::string_view text = Trim(bytes);
  if (text.empty()) return FieldValue::Empty();
  return FieldValue::OfText(std::string(text));
}

std::optional<FieldValue> ParseDateTimeFox(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  if (IsEmptyValue(Decoding::DateTimeFox, bytes)) return FieldValue::Empty();
  const auto day = static_cast<std::int32_t>(LoadLE32(bytes.substr(0, 4)));
  const auto ms = static_cast<std::int32_t>(LoadLE32(bytes.substr(4, 4)));
  return FormatTimestamp(day, ms);
}

std::optional<FieldValue> ParseTimestampDBase7(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  if (IsEmptyValue(Decoding::TimestampDBase7, bytes)) return FieldValue::Empty();
  const double ms = DecodeSortableDouble(LoadBE64(bytes));
  if (!std::isfinite(ms) || ms < 0 || ms > 1e15) return std::nullopt;
  const auto whole = static_cast<std::int64_t>(std::llround(ms));
  return FormatTimestamp(whole / kMillisecondsPerDay, whole % kMillisecondsPerDay);
}

std::optional<FieldValue> ParseField(Decoding decoding, std::string_view bytes, int decimals) {
  switch (decoding) {
    case Decoding::Character: return ParseCharacter(bytes);
    case Decoding::Numeric: return ParseNumeric(bytes, decimals);
    case Decoding::IntegerLE: return ParseIntegerLE(bytes);
    case Decoding::IntegerDBase7: return ParseIntegerDBase7(bytes);
    case Decoding::DoubleLE: return ParseDoubleLE(bytes);
    case Decoding::DoubleDBase7: return ParseDoubleDBase7(bytes);
    case Decoding::Currency: return ParseCurrency(bytes);
    case Decoding::Date: return ParseDate(bytes);
    case Decoding::Logical: return ParseLogical(bytes);
    case Decoding::DateTimeFox: return ParseDateTimeFox(bytes);
    case Decoding::TimestampDBase7: return ParseTimestampDBase7(bytes);
    case Decoding::Memo:
    case Decoding::Hidden: return FieldValue::OfUnread();
  }
  return std::nullopt;
}

int RequiredWidth(Decoding decoding) {
  switch (decoding) {
    case Decoding::IntegerLE:
    case Decoding::IntegerDBase7: return 4;
    case Decoding::DoubleLE:
    case Decoding::DoubleDBase7:
    case Decoding::Currency:
    case Decoding::DateTimeFox:
    case Decoding::TimestampDBase7:
    case Decoding::Date: return 8;
    default: return 0;
  }
}

}  // namespace pontexa::tables::dbf
