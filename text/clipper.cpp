#include "text/clipper.h"

namespace pontexa::Clipper {
namespace {
constexpr char kBlank = ' ';

std::size_t Count(std::int32_t count) { return count <= 0 ? 0 : static_cast<std::size_t>(count); }
}  // namespace

std::string RTrim(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == kBlank) --end;
  return std::string(text.substr(0, end));
}

std::string LTrim(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] == kBlank) ++begin;
  return std::string(text.substr(begin));
}

std::string AllTrim(std::string_view text) { return LTrim(RTrim(text)); }

std::string Right(std::string_view text, std::int32_t count) {
  const std::size_t n = Count(count);
  if (count >= 0 && n >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - n));
}

std::string UpperOnly(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c >= 'A' && c <= 'Z') out += c;
  }
  return out;
}

std::string AfterSpaces(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == kBlank) out += text[i + 1];
  }
  return out;
}

// Under a single-byte code page the round trip through UTF-16 keeps the bytes,
// so these count characters exactly like the functions above.
std::string LeftStr(std::string_view text, std::int32_t count) {
  return std::string(text.substr(0, Count(count)));
}

std::string RightStr(std::string_view text, std::int32_t count) {
  const std::size_t n = Count(count);
  if (n >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - n));
}

}  // namespace pontexa::Clipper
