#pragma once

#include <stdexcept>
#include <string>

namespace pontexa {

// Every failure the core reports is one of these, with a Spanish message that
// names the file, table, element or field involved. The front ends decide how
// to show it. Messages are UTF-8; values taken from Windows-1252 texts are
// converted (text::AnsiToUtf8) before they go into a message.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace pontexa
