#include "text/cp1252.h"

#include <array>

#include "platform/wide_text.h"

namespace pontexa::text {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr unsigned char kReplacement = '?';

// Decodes one UTF-8 sequence at `i`; malformed input yields nothing and
// advances by one byte.
std::optional<char32_t> NextUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  } else {
    ++i;
    return std::nullopt;
  }
  if (i + length > s.size()) {
    ++i;
    return std::nullopt;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned char next = byte(i + k);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  i += length;
  if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

unsigned char ToAnsiOrReplacement(std::optional<char32_t> cp) {
  if (!cp) return kReplacement;
  return UnicodeToCp1252(*cp).value_or(kReplacement);
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

std::optional<unsigned char> UnicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == cp) return static_cast<unsigned char>(0x80 + k);
  }
  return std::nullopt;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {  // the common case, without the decoder
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    out += static_cast<char>(ToAnsiOrReplacement(NextUtf8(utf8, i)));
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (const char c : ansi) platform::AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (const char c : ansi) out += static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf16ToAnsi(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;  // a pair is never a Windows-1252 character
      out += static_cast<char>(kReplacement);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += static_cast<char>(kReplacement);
    } else {
      out += static_cast<char>(UnicodeToCp1252(unit).value_or(kReplacement));
    }
  }
  return out;
}

unsigned char AnsiToUpper(unsigned char b) {
  if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<unsigned char>(b - 32);
  switch (b) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return b;
  }
}

unsigned char AnsiToLower(unsigned char b) {
  if (b >= 'A' && b <= 'Z') return static_cast<unsigned char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<unsigned char>(b + 32);
  switch (b) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return b;
  }
}

std::string AnsiUpperCase(std::string_view ansi) {
  std::string out(ansi);
  for (char& c : out) c = static_cast<char>(AnsiToUpper(static_cast<unsigned char>(c)));
  return out;
}

std::string AnsiLowerCase(std::string_view ansi) {
  std::string out(ansi);
  for (char& c : out) c = static_cast<char>(AnsiToLower(static_cast<unsigned char>(c)));
  return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AnsiToLower(static_cast<unsigned char>(a[i])) != AnsiToLower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string CaseInsensitiveKey(std::string_view ansi) { return AnsiLowerCase(ansi); }

std::string AsciiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace pontexa::text
