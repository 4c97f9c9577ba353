#include "text/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "platform/files.h"

namespace pontexa::text {
namespace {

constexpr int kGeneralPrecision = 15;
constexpr char kBlank = ' ';

// Language (and language_TERRITORY) codes whose number format uses a decimal
// comma. A territory entry overrides its language.
struct LocaleSeparator {
  std::string_view prefix;
  char separator;
};
constexpr std::array<LocaleSeparator, 40> kSeparators = {{
    {"es_MX", '.'}, {"es_US", '.'}, {"es_PR", '.'}, {"es_DO", '.'}, {"es_GT", '.'},
    {"es_HN", '.'}, {"es_NI", '.'}, {"es_PA", '.'}, {"es_SV", '.'}, {"es_PE", ','},
    {"es", ','},    {"ca", ','},    {"gl", ','},    {"eu", ','},    {"ast", ','},
    {"pt", ','},    {"fr", ','},    {"de", ','},    {"it", ','},    {"nl", ','},
    {"da", ','},    {"sv", ','},    {"nb", ','},    {"nn", ','},    {"fi", ','},
    {"pl", ','},    {"cs", ','},    {"sk", ','},    {"sl", ','},    {"hr", ','},
    {"hu", ','},    {"ro", ','},    {"ru", ','},    {"uk", ','},    {"tr", ','},
    {"el", ','},    {"bg", ','},    {"lt", ','},    {"lv", ','},    {"et", ','},
}};

bool StartsWithLocale(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return false;
  // "es" must not match "est"; the prefix ends at a separator or the end.
  return name.size() == prefix.size() || name[prefix.size()] == '_' || name[prefix.size()] == '.' ||
         name[prefix.size()] == '@' || name[prefix.size()] == '-';
}

}  // namespace

RegionalSettings RegionalSettings::FromLocaleName(std::string_view name) {
  for (const LocaleSeparator& entry : kSeparators) {
    if (StartsWithLocale(name, entry.prefix)) return RegionalSettings{entry.separator};
  }
  return RegionalSettings{'.'};
}

RegionalSettings RegionalSettings::FromEnvironment() {
  if (const std::optional<char> native = platform::NativeDecimalSeparator()) return RegionalSettings{*native};
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const std::optional<std::string> value = platform::GetEnv(variable);
    if (value && !value->empty()) return FromLocaleName(*value);
  }
  return RegionalSettings{'.'};
}

std::string FormatGeneral(double value, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // 15 significant digits, correctly rounded: "d.dddddddddddddde±XX".
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                    kGeneralPrecision - 1);
  std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));

  std::string out;
  if (scientific.front() == '-') {
    out += '-';
    scientific.remove_prefix(1);
  }
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (const char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent10 = 0;
  std::string_view exponentText = scientific.substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent10);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  // The value is 0.DIGITS x 10^point.
  const int point = exponent10 + 1;
  if (point > kGeneralPrecision || point < -3) {
    out += digits.front();
    if (digits.size() > 1) {
      out += decimalSeparator;
      out.append(digits, 1);
    }
    out += 'E';
    out += FormatInteger(exponent10);
    return out;
  }
  if (point <= 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<std::size_t>(-point), '0');
    out += digits;
    return out;
  }
  const auto whole = static_cast<std::size_t>(point);
  if (digits.size() <= whole) {
    out += digits;
    out.append(whole - digits.size(), '0');
  } else {
    out.append(digits, 0, whole);
    out += decimalSeparator;
    out.append(digits, whole);
  }
  return out;
}

std::optional<double> ParseFloat(std::string_view text, char decimalSeparator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == kBlank) ++i;
  std::string normal;  // the number in from_chars' own syntax
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') normal += '-';
    ++i;
  }
  bool anyDigit = false;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    normal += text[i++];
    anyDigit = true;
  }
  if (i < n && text[i] == decimalSeparator) {
    normal += '.';
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      normal += text[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    normal += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) normal += text[i++];
    bool exponentDigit = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      normal += text[i++];
      exponentDigit = true;
    }
    if (!exponentDigit) return std::nullopt;
  }
  while (i < n && text[i] == kBlank) ++i;
  if (i != n) return std::nullopt;

  double value = 0;
  const char* begin = normal.data();
  if (*begin == '-') ++begin;  // from_chars takes the sign only as '-', handled below
  const auto result = std::from_chars(begin, normal.data() + normal.size(), value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != normal.data() + normal.size()) return std::nullopt;
  return normal.front() == '-' ? -value : value;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == kBlank) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::string FormatInteger(std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace pontexa::text
