#include "saga/texts.h"

#include <charconv>
#include <cstring>

#include "platform/wide_text.h"
#include "saga/encoding.h"
#include "text/cp1252.h"

namespace pontexa::saga::detail {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Expands the reference starting at `s` ('&'); returns the number of bytes it
// took, or 0 when it is not one we know (it is then copied as it stands).
std::size_t ExpandReference(std::string& out, const char* s) {
  const char* end = std::strchr(s, ';');
  if (end == nullptr || end - s > 12) return 0;
  const std::string_view name(s + 1, static_cast<std::size_t>(end - s - 1));
  const std::size_t taken = static_cast<std::size_t>(end - s) + 1;
  if (name == "lt") return out.push_back('<'), taken;
  if (name == "gt") return out.push_back('>'), taken;
  if (name == "amp") return out.push_back('&'), taken;
  if (name == "quot") return out.push_back('"'), taken;
  if (name == "apos") return out.push_back('\''), taken;
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  std::uint32_t cp = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
  if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) return 0;
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  platform::AppendUtf8(out, cp);
  return taken;
}

}  // namespace

bool IsBlank(const char* text) {
  for (; *text; ++text)
    if (!IsSpace(*text)) return false;
  return true;
}

void AppendExpanded(std::string& out, const char* stored, bool attribute) {
  const std::size_t plain = std::strcspn(stored, attribute ? "&\r\n\t" : "&\r");
  out.append(stored, plain);
  for (const char* s = stored + plain; *s;) {
    const char c = *s;
    if (c == '\r') {
      s += s[1] == '\n' ? 2 : 1;
      out.push_back(attribute ? ' ' : '\n');
    } else if (attribute && (c == '\n' || c == '\t')) {
      out.push_back(' ');
      ++s;
    } else if (c == '&') {
      const std::size_t taken = ExpandReference(out, s);
      if (taken == 0) {
        out.push_back('&');
        ++s;
      } else {
        s += taken;
      }
    } else {
      out.push_back(c);
      ++s;
    }
  }
}

std::string StoredAttributeValue(std::string_view ansi, Encoding encoding) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (const char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      default: break;
    }
    const char32_t cp = byte < 0x80 ? char32_t{byte} : text::Cp1252ToUnicode(byte);
    if (cp < 0x20 || !CanEncode(encoding, cp)) {
      char reference[16] = "&#";
      char* end = std::to_chars(reference + 2, reference + sizeof reference - 1, static_cast<std::uint32_t>(cp)).ptr;
      *end++ = ';';
      out.append(reference, end);
    } else {
      platform::AppendUtf8(out, cp);
    }
  }
  return out;
}

}  // namespace pontexa::saga::detail
