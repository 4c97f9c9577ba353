#pragma once

// The system's texts are single-byte strings in Windows-1252 (the ANSI code
// page of Spanish Windows). Every conversion between them and Unicode happens
// here, and nowhere else.

#include <optional>
#include <string>
#include <string_view>

namespace pontexa::text {

// Windows-1252 byte to its Unicode code point. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of
// the same value, as the platform's conversion does.
char32_t Cp1252ToUnicode(unsigned char byte);

// Unicode code point to Windows-1252; empty when the code page cannot hold it.
std::optional<unsigned char> UnicodeToCp1252(char32_t codePoint);

// Conversions. A character Windows-1252 cannot hold becomes '?'; so does each
// malformed UTF-8 or UTF-16 sequence.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view utf16);

// Windows-1252 case rules, accented letters included ('É' <-> 'é', 'Ñ' <-> 'ñ',
// 'Š' <-> 'š', 'Ÿ' <-> 'ÿ'); 'ß', 'µ' and '×' / '÷' have no partner.
unsigned char AnsiToUpper(unsigned char byte);
unsigned char AnsiToLower(unsigned char byte);
std::string AnsiUpperCase(std::string_view ansi);
std::string AnsiLowerCase(std::string_view ansi);

// Equal when letter case is ignored under the rules above.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// A key that is equal for two texts exactly when SameTextIgnoringCase is true;
// for hash lookups.
std::string CaseInsensitiveKey(std::string_view ansi);

// 'A' to 'Z' to lower case, nothing else (how the direction word is compared).
std::string AsciiLowerCase(std::string_view text);

}  // namespace pontexa::text
