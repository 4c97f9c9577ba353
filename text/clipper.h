#pragma once

// The text functions the export builders use to clean values and derive short
// codes. Texts are Windows-1252 byte strings; positions count characters.
// Only the space character (32) is a blank.

#include <cstdint>
#include <string>
#include <string_view>

namespace pontexa::Clipper {

std::string AllTrim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
// Last `count` characters, or the whole text when count >= length; '' for count <= 0.
std::string Right(std::string_view text, std::int32_t count);
// The characters 'A' to 'Z' of the text, in order (accented capitals are not capitals).
std::string UpperOnly(std::string_view text);
// Each character that directly follows a blank, in order.
std::string AfterSpaces(std::string_view text);
// First / last `count` characters; '' for count <= 0; whole text when count >= length.
std::string LeftStr(std::string_view text, std::int32_t count);
std::string RightStr(std::string_view text, std::int32_t count);

}  // namespace pontexa::Clipper
