#include "platform/wide_text.h"

#include <cstdint>

namespace pontexa::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  }
}

// Decodes one code point at text[i], advancing i; ill-formed sequences
// (overlong, surrogates, past U+10FFFF, cut short) give U+FFFD for their
// first byte only, so the next one is tried again.
char32_t NextFromUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<std::uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 1, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 2, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 3, code = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  if (i + static_cast<std::size_t>(length) > text.size()) return kReplacement;
  for (int k = 0; k < length; ++k) {
    const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
  i += static_cast<std::size_t>(length);
  return code;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf16(out, NextFromUtf8(text, i));
  return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    char32_t code = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[++i]} - 0xDC00);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      code = kReplacement;  // a lone surrogate (Windows names may hold one)
    }
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace pontexa::platform
