#pragma once

// Texts as the file holds them and as the system sees them. The tree keeps
// every value exactly as it stood in the file (references unexpanded, line
// ends untouched), so that the save writes it back byte for byte; reading
// expands it here, and writing escapes here.

#include <string>
#include <string_view>

#include "saga/document.h"

namespace pontexa::saga::detail {

// True for a text made only of XML white space (or empty).
bool IsBlank(const char* text);

// Appends the characters a stored value stands for, as UTF-8: line ends
// become '\n' (in an attribute every white-space character becomes a blank),
// the five predefined entities and character references are expanded. An
// unknown entity stays as written.
void AppendExpanded(std::string& out, const char* stored, bool attribute);

// The stored form of a Windows-1252 attribute value for a file in `encoding`:
// UTF-8 with markup characters, line ends and tabs escaped, and every
// character the encoding cannot hold as a character reference.
std::string StoredAttributeValue(std::string_view ansi, Encoding encoding);

}  // namespace pontexa::saga::detail
