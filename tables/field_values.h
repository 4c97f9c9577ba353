#pragma once

// One small pure parser per stored field type: the raw bytes of a field in
// one record in, its value out. Nothing here knows about tables or files, so
// each rule is tested with byte literals.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pontexa::tables::dbf {

struct FieldValue {
  enum class Kind {
    Empty,    // blank (or null) field
    Text,     // character data in the table's code page, fill blanks removed
    Integer,  // whole number stored as such
    Real,     // floating-point number
    Unread,   // memo and binary data the system does not read
  };
  Kind kind = Kind::Empty;
  std::string text;
  std::int64_t integer = 0;
  double real = 0;

  static FieldValue Empty() { return {}; }
  static FieldValue OfText(std::string value) { return {Kind::Text, std::move(value), 0, 0}; }
  static FieldValue OfInteger(std::int64_t value) { return {Kind::Integer, {}, value, 0}; }
  static FieldValue OfReal(double value) { return {Kind::Real, {}, 0, value}; }
  static FieldValue OfUnread() { return {Kind::Unread, {}, 0, 0}; }
};

// How the bytes of a field are decoded; chosen once per field from its type
// letter and the flavour of the file.
enum class Decoding {
  Character,        // C, V
  Numeric,          // N, F: right-aligned decimal text
  IntegerLE,        // FoxPro I: int32 little-endian
  IntegerDBase7,    // dBase 7 I, +: int32 big-endian, sign bit flipped
  DoubleLE,         // FoxPro B
  DoubleDBase7,     // dBase 7 O: big-endian, sign-flip encoding
  Currency,         // Y: int64 little-endian, in ten-thousandths
  Date,             // D: YYYYMMDD
  Logical,          // L
  DateTimeFox,      // T: julian day, milliseconds (both int32 LE)
  TimestampDBase7,  // @: milliseconds since the julian epoch, as an O double
  Memo,             // M, G, P, Q, W, dBase B: a pointer into another file
  Hidden,           // _NullFlags
};

// The one place that says when stored bytes mean "no value": blanks (and NUL
// bytes) for text-coded fields; all NUL bytes for the dBase 7 binary fields.
// FoxPro's binary numbers have no empty state.
bool IsEmptyValue(Decoding decoding, std::string_view bytes);

// Each returns nothing when the bytes are not a value of the type.
std::optional<FieldValue> ParseCharacter(std::string_view bytes);
std::optional<FieldValue> ParseNumeric(std::string_view bytes, int decimals);
std::optional<FieldValue> ParseIntegerLE(std::string_view bytes);
std::optional<FieldValue> ParseIntegerDBase7(std::string_view bytes);
std::optional<FieldValue> ParseDoubleLE(std::string_view bytes);
std::optional<FieldValue> ParseDoubleDBase7(std::string_view bytes);
std::optional<FieldValue> ParseCurrency(std::string_view bytes);
std::optional<FieldValue> ParseDate(std::string_view bytes);
std::optional<FieldValue> ParseLogical(std::string_view bytes);
std::optional<FieldValue> ParseDateTimeFox(std::string_view bytes);
std::optional<FieldValue> ParseTimestampDBase7(std::string_view bytes);

// Dispatches on `decoding` (empty values first, through IsEmptyValue).
std::optional<FieldValue> ParseField(Decoding decoding, std::string_view bytes, int decimals);

// The byte width each binary decoding needs; 0 when any width will do.
int RequiredWidth(Decoding decoding);

}  // namespace pontexa::tables::dbf
