#include "saga/encoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "platform/wide_text.h"
#include "saga/messages.h"
#include "text/cp1252.h"

namespace pontexa::saga::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of the encoding pseudo-attribute of an ASCII-compatible XML
// declaration, lower-cased; empty when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (bytes.size() < 6 || bytes.substr(0, 5) != "<?xml" || !IsXmlSpace(bytes[5])) return {};
  const std::size_t end = bytes.find("?>");
  const std::string_view declaration = bytes.substr(0, end == std::string_view::npos ? 0 : end);
  std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  at += 8;
  while (at < declaration.size() && IsXmlSpace(declaration[at])) ++at;
  if (at >= declaration.size() || declaration[at] != '=') return {};
  ++at;
  while (at < declaration.size() && IsXmlSpace(declaration[at])) ++at;
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
  const char quote = declaration[at++];
  const std::size_t close = declaration.find(quote, at);
  if (close == std::string_view::npos) return {};
  std::string name(declaration.substr(at, close - at));
  std::transform(name.begin(), name.end(), name.begin(), AsciiLower);
  return name;
}

enum class Family { Utf8, Utf16, Latin1, Windows1252, Unknown };

Family FamilyOf(const std::string& name) {
  static constexpr std::array<std::string_view, 3> utf8 = {"utf-8", "utf8", "unicode-1-1-utf-8"};
  static constexpr std::array<std::string_view, 6> utf16 = {"utf-16", "utf-16le", "utf-16be", "utf16", "ucs-2", "unicode"};
  static constexpr std::array<std::string_view, 12> latin1 = {
      "iso-8859-1", "iso8859-1", "iso_8859-1", "iso_8859-1:1987", "latin1", "latin-1",
      "l1", "iso-ir-100", "csisolatin1", "ibm819", "cp819", "8859-1"};
  static constexpr std::array<std::string_view, 5> windows1252 = {"windows-1252", "cp1252", "x-cp1252",
                                                                  "windows1252", "cp-1252"};
  auto in = [&](const auto& list) { return std::find(list.begin(), list.end(), name) != list.end(); };
  if (name.empty() || in(utf8)) return Family::Utf8;
  if (in(utf16)) return Family::Utf16;
  if (in(latin1)) return Family::Latin1;
  if (in(windows1252)) return Family::Windows1252;
  return Family::Unknown;
}

std::string DecodeSingleByte(const std::string& bytes, bool windows1252) {
  std::size_t high = 0;
  for (const char c : bytes) high += static_cast<unsigned char>(c) >= 0x80;
  std::string out;
  out.reserve(bytes.size() + high * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      platform::AppendUtf8(out, windows1252 ? text::Cp1252ToUnicode(byte) : char32_t{byte});
    }
  }
  return out;
}

std::string DecodeUtf16(const std::string& bytes, std::size_t start, bool littleEndian,
                        const std::filesystem::path& displayName) {
  if ((bytes.size() - start) % 2 != 0)
    throw DocumentError(NotValidXml(displayName) + ": el texto UTF-16 termina a mitad de un carácter");
  auto unit = [&](std::size_t at) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[at]);
    const auto b = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(littleEndian ? (a | (b << 8)) : ((a << 8) | b));
  };
  std::string out;
  out.reserve((bytes.size() - start) / 2 + (bytes.size() - start) / 8);
  for (std::size_t at = start; at < bytes.size(); at += 2) {
    const char16_t u = unit(at);
    if (u >= 0xD800 && u <= 0xDBFF && at + 3 < bytes.size()) {
      const char16_t low = unit(at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        platform::AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{low} - 0xDC00));
        at += 2;
        continue;
      }
    }
    platform::AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t{u});
  }
  return out;
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that cannot
// start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Decodes one complete sequence of `length` bytes; the replacement character
// when it is malformed.
char32_t DecodeSequence(const unsigned char* s, std::size_t length) {
  char32_t cp = length == 1 ? s[0] : length == 2 ? (s[0] & 0x1F) : length == 3 ? (s[0] & 0x0F) : (s[0] & 0x07);
  for (std::size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

}  // namespace


DecodedText DecodeFile(std::string bytes, const std::filesystem::path& displayName) {
  DecodedText result;
  const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
  if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    result.encoding = Encoding::Utf8Bom;
    result.byteOrderMark = true;
    bytes.erase(0, 3);
    result.utf8 = std::move(bytes);
    return result;
  }
  if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF)) {
    const bool little = at(0) == 0xFF;
    result.encoding = little ? Encoding::Utf16LE : Encoding::Utf16BE;
    result.byteOrderMark = true;
    result.utf8 = DecodeUtf16(bytes, 2, little, displayName);
    return result;
  }
  if ((at(0) == '<' && at(1) == 0) || (at(0) == 0 && at(1) == '<')) {
    const bool little = at(0) == '<';
    result.encoding = little ? Encoding::Utf16LE : Encoding::Utf16BE;
    result.utf8 = DecodeUtf16(bytes, 0, little, displayName);
    return result;
  }
  const std::string declared = DeclaredEncoding(bytes);
  switch (FamilyOf(declared)) {
    case Family::Utf8:
    case Family::Utf16:  // declared so, but the bytes are not UTF-16: read them as UTF-8
      result.encoding = Encoding::Utf8;
      result.utf8 = std::move(bytes);
      return result;
    case Family::Latin1:
      result.encoding = Encoding::Latin1;
      result.utf8 = DecodeSingleByte(bytes, false);
      return result;
    case Family::Windows1252:
      result.encoding = Encoding::Windows1252;
      result.utf8 = DecodeSingleByte(bytes, true);
      return result;
    case Family::Unknown:
      break;
  }
  throw DocumentError("El archivo " + Quoted(displayName) + " declara una codificación desconocida: '" + declared + "'");
}

bool CanEncode(Encoding encoding, char32_t codePoint) {
  switch (encoding) {
    case Encoding::Latin1:
      return codePoint <= 0xFF;
    case Encoding::Windows1252:
      return codePoint < 0x80 || text::UnicodeToCp1252(codePoint).has_value();
    default:
      return true;
  }
}

EncodingWriter::EncodingWriter(Encoding encoding, ByteSink& sink) : encoding_(encoding), sink_(sink) {
  buffer_.reserve(kChunk + 16);
}

void EncodingWriter::WriteByteOrderMark() {
  switch (encoding_) {
    case Encoding::Utf8Bom:
      Write("\xEF\xBB\xBF");  // passes through unchanged
      break;
    case Encoding::Utf16LE:
      PutByte('\xFF');
      PutByte('\xFE');
      break;
    case Encoding::Utf16BE:
      PutByte('\xFE');
      PutByte('\xFF');
      break;
    default:
      break;
  }
}

void EncodingWriter::write(const void* data, std::size_t size) { Write({static_cast<const char*>(data), size}); }

void EncodingWriter::Write(std::string_view utf8) {
  if (error_) return;
  if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8Bom) {
    if (utf8.size() >= kChunk) {
      Flush();
      try {
        sink_.Put(utf8);
      } catch (...) {
        error_ = std::current_exception();
      }
      return;
    }
    buffer_.append(utf8);
    if (buffer_.size() >= kChunk) Flush();
    return;
  }
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t n = utf8.size();
  if (pendingSize_ > 0) {
    const std::size_t need = SequenceLength(pending_[0]);
    while (pendingSize_ < need && n > 0 && (*s & 0xC0) == 0x80) {
      pending_[pendingSize_++] = *s++;
      --n;
    }
    if (pendingSize_ < need && n == 0) return;  // still incomplete
    Emit(pendingSize_ == need ? DecodeSequence(pending_, need) : kReplacement);
    pendingSize_ = 0;
  }
  while (n > 0) {
    if (*s < 0x80) {
      if (encoding_ == Encoding::Latin1 || encoding_ == Encoding::Windows1252) PutByte(static_cast<char>(*s));
      else Emit(*s);
      ++s;
      --n;
      continue;
    }
    const std::size_t length = SequenceLength(*s);
    if (length == 0) {
      Emit(kReplacement);
      ++s;
      --n;
      continue;
    }
    if (length > n) {
      std::memcpy(pending_, s, n);
      pendingSize_ = n;
      return;
    }
    Emit(DecodeSequence(s, length));
    s += length;
    n -= length;
  }
}

void EncodingWriter::Emit(char32_t cp) {
  switch (encoding_) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
      auto unit = [&](char16_t u) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        if (encoding_ == Encoding::Utf16LE) {
          PutByte(low);
          PutByte(high);
        } else {
          PutByte(high);
          PutByte(low);
        }
      };
      if (cp >= 0x10000) {
        unit(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        unit(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        unit(static_cast<char16_t>(cp));
      }
      return;
    }
    case Encoding::Latin1:
      if (cp <= 0xFF) {
        PutByte(static_cast<char>(cp));
        return;
      }
      break;
    case Encoding::Windows1252:
      if (cp < 0x80) {
        PutByte(static_cast<char>(cp));
        return;
      }
      if (const auto byte = text::UnicodeToCp1252(cp)) {
        PutByte(static_cast<char>(*byte));
        return;
      }
      break;
    default: {
      std::string utf8;
      platform::AppendUtf8(utf8, cp);
      for (const char c : utf8) PutByte(c);
      return;
    }
  }
  char reference[16] = "&#";
  const auto end = std::to_chars(reference + 2, reference + sizeof reference - 1, static_cast<std::uint32_t>(cp)).ptr;
  *end = ';';
  for (const char* c = reference; c <= end; ++c) PutByte(*c);
}

void EncodingWriter::Flush() {
  if (error_) buffer_.clear();
  if (buffer_.empty()) return;
  try {
    sink_.Put(buffer_);
  } catch (...) {
    error_ = std::current_exception();
  }
  buffer_.clear();
}

void EncodingWriter::Finish() {
  if (pendingSize_ > 0) {
    Emit(kReplacement);
    pendingSize_ = 0;
  }
  Flush();
  if (error_) std::rethrow_exception(error_);
}

}  // namespace pontexa::saga::detail
