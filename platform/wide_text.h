#pragma once

// UTF-8 <-> UTF-16, the one conversion between the program's texts and the
// wide strings of the Windows API (arguments, environment, system messages,
// the console). Ill-formed input never throws: each bad unit becomes U+FFFD,
// so a stray byte in a name still leaves a readable message.

#include <string>
#include <string_view>

namespace pontexa::platform {

// Appends one code point as UTF-8: the one encoder every layer uses.
void AppendUtf8(std::string& out, char32_t code);

std::u16string Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::u16string_view text);

#ifdef _WIN32
// wchar_t is UTF-16 on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline std::wstring WideFromUtf8(std::string_view text) {
  const std::u16string wide = Utf16FromUtf8(text);
  return std::wstring(wide.begin(), wide.end());
}
inline std::string Utf8FromWide(std::wstring_view text) {
  return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}
#endif

}  // namespace pontexa::platform
