#pragma once

// Numbers as the user's regional settings write them. The system never sets
// the decimal separator itself; it reads it from the environment once and
// passes it down.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pontexa::text {

struct RegionalSettings {
  char decimalSeparator = '.';

  // LC_ALL, then LC_NUMERIC, then LANG (the first one set and not empty):
  // a Spanish locale (es_*) gives ',', C, POSIX, en_* and anything unknown give
  // '.'. Works without generated locale data. On Windows: the user's setting.
  static RegionalSettings FromEnvironment();
  // The same rule for one locale name ("es_ES.UTF-8", "C", ...).
  static RegionalSettings FromLocaleName(std::string_view name);
};

// The general number format: 15 significant digits without trailing zeros,
// so whole numbers come without separator or exponent ("3", "-1") and others
// as "2,5"; scientific form ("5E-5", "1,5E20") for magnitudes below 0.0001 or
// of 1E15 and above. NaN and infinities: "NAN", "INF", "-INF".
std::string FormatGeneral(double value, char decimalSeparator);

// Text to number as the platform converts it: surrounding blanks, an optional
// sign, digits, the given decimal separator followed by digits, an exponent
// introduced by E or e. Anything else (the empty text included) gives nothing.
std::optional<double> ParseFloat(std::string_view text, char decimalSeparator);

// Text to a 32-bit integer: leading blanks, optional sign, decimal digits, and
// nothing after them; out of range gives nothing.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Halves go to the even neighbour, as the platform rounds (2.5 -> 2, 3.5 -> 4),
// whatever the floating-point environment's rounding mode.
double RoundHalfEven(double value);

// Decimal text of an integer (std::to_chars, never a locale).
std::string FormatInteger(std::int64_t value);

}  // namespace pontexa::text
