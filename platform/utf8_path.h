#pragma once

// The one crossing between paths and text. Every text of the program is
// UTF-8; a std::filesystem::path made from a std::string, or read back with
// string(), would use the ANSI code page on Windows and break names with
// accents. So paths become text and text becomes paths only here.

#include <filesystem>
#include <string>
#include <string_view>

namespace pontexa::platform {

// The path as UTF-8 text, for messages, comparisons and the command line.
inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A path from UTF-8 text.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// The path as UTF-8 between single quotes, as every message names a file.
inline std::string Quoted(const std::filesystem::path& path) { return "'" + Utf8(path) + "'"; }

}  // namespace pontexa::platform
