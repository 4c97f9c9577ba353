#include "tables/dbf_header.h"

#include <optional>

#include "tables/dbf_format.h"

namespace pontexa::tables::dbf {
namespace {

unsigned Byte(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }
std::uint32_t LE16(std::string_view b, std::size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
std::uint32_t LE32(std::string_view b, std::size_t at) {
  return Byte(b, at) | Byte(b, at + 1) << 8 | Byte(b, at + 2) << 16 | static_cast<std::uint32_t>(Byte(b, at + 3)) << 24;
}

std::string Hex(unsigned value) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[value >> 4 & 15] + digits[value & 15];
}

std::string Printable(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x21 && u < 0x7F) return std::string("'") + c + "'";
  return Hex(u);
}

std::optional<Flavour> FlavourOfVersion(std::uint8_t version) {
  switch (version) {
    case kVisualFoxPro:
    case kVisualFoxProAutoIncrement:
    case kVisualFoxProVarchar: return Flavour::VisualFoxPro;
    case kDBase4Memo:
    case kDBase4SqlMemo: return Flavour::DBase4;
    case kFoxPro2Memo:
    case kFoxBaseMemo: return Flavour::FoxPro;
    default: break;
  }
  switch (version & kLevelMask) {
    case 3: return Flavour::DBase3;
    case 4: return Flavour::DBase4;  // or dBase 7: the header layout tells
    default: return std::nullopt;
  }
}

std::optional<Decoding> DecodingOf(char type, Flavour flavour) {
  const bool dBase7 = flavour == Flavour::DBase7;
  const bool visualFox = flavour == Flavour::VisualFoxPro;
  switch (type) {
    case kCharacter:
    case kVarchar: return Decoding::Character;
    case kNumeric:
    case kFloat: return Decoding::Numeric;
    case kInteger: return dBase7 ? Decoding::IntegerDBase7 : Decoding::IntegerLE;
    case kAutoIncrement: return Decoding::IntegerDBase7;
    case kDouble: return Decoding::DoubleDBase7;
    case kBinaryOrDouble: return visualFox ? Decoding::DoubleLE : Decoding::Memo;
    case kCurrency: return Decoding::Currency;
    case kDate: return Decoding::Date;
    case kLogical: return Decoding::Logical;
    case kDateTime: return Decoding::DateTimeFox;
    case kTimestamp: return Decoding::TimestampDBase7;
    case kMemo:
    case kGeneral:
    case kPicture:
    case kVarbinary:
    case kBlob: return Decoding::Memo;
    case kNullFlags: return Decoding::Hidden;
    default: return std::nullopt;
  }
}

struct DescriptorLayout {
  std::size_t first;      // offset of the first descriptor
  std::size_t size;       // bytes per descriptor
  std::size_t nameSize;
  std::size_t typeAt, lengthAt, decimalsAt;
  bool foxFlags;
};

constexpr DescriptorLayout kClassicLayout{kHeaderSize, kDescriptorSize, kNameSize, kTypeOffset,
                                          kLengthOffset, kDecimalsOffset, false};
constexpr DescriptorLayout kDBase7Layout{kDBase7HeaderSize, kDBase7DescriptorSize, kDBase7NameSize,
                                         kDBase7TypeOffset, kDBase7LengthOffset, kDBase7DecimalsOffset,
                                         false};

std::string FieldName(std::string_view raw) {
  const std::size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  return std::string(raw);
}

// Reads the descriptors with one layout; throws FormatError when they do not
// fit the header and the record length.
std::vector<FieldLayout> ReadDescriptors(std::string_view file, std::size_t headerLength,
                                         std::size_t recordLength, Flavour flavour,
                                         DescriptorLayout layout) {
  std::vector<FieldLayout> fields;
  std::size_t at = layout.first;
  std::size_t offset = 1;  // after the deletion flag
  while (at < headerLength) {
    if (file[at] == kDescriptorTerminator) break;
    if (at + layout.size > headerLength)
      throw FormatError("la descripción del campo " + std::to_string(fields.size() + 1) +
                        " sobrepasa la cabecera");
    const std::string_view d = file.substr(at, layout.size);
    FieldLayout field;
    field.name = FieldName(d.substr(0, layout.nameSize));
    field.type = d[layout.typeAt];
    field.length = Byte(d, layout.lengthAt);
    field.decimals = static_cast<int>(Byte(d, layout.decimalsAt));
    const std::string label = "el campo " + std::to_string(fields.size() + 1) +
                              (field.name.empty() ? std::string() : " (" + field.name + ")");
    const auto decoding = DecodingOf(field.type, flavour);
    if (!decoding) throw FormatError(label + " tiene un tipo desconocido (" + Printable(field.type) + ")");
    field.decoding = *decoding;
    // FoxPro and Clipper keep the high byte of long character fields in the decimals.
    if (field.type == kCharacter && flavour != Flavour::DBase7 && field.decimals != 0 &&
        flavour != Flavour::DBase4) {
      field.length += static_cast<std::size_t>(field.decimals) << 8;
      field.decimals = 0;
    }
    if (field.length == 0) throw FormatError(label + " tiene longitud 0");
    const int width = RequiredWidth(field.decoding);
    if (width != 0 && field.length != static_cast<std::size_t>(width))
      throw FormatError(label + " de tipo " + Printable(field.type) + " tiene longitud " +
                        std::to_string(field.length) + " en lugar de " + std::to_string(width));
    field.hidden = field.decoding == Decoding::Hidden ||
                   (flavour == Flavour::VisualFoxPro && (Byte(d, kFoxFlagsOffset) & kFoxSystemField));
    field.offset = offset;
    offset += field.length;
    if (offset > recordLength)
      throw FormatError("los campos ocupan más que la longitud de registro (" +
                        std::to_string(recordLength) + ")");
    fields.push_back(std::move(field));
    at += layout.size;
  }
  if (fields.empty()) throw FormatError("la tabla no tiene campos");
  if (offset != recordLength)
    throw FormatError("los campos ocupan " + std::to_string(offset) +
                      " bytes por registro y la cabecera dice " + std::to_string(recordLength));
  return fields;
}

}  // namespace

Header ParseHeader(std::string_view file) {
  if (file.size() < kHeaderSize + 1) throw FormatError("el archivo es demasiado corto para ser una tabla dBase");
  Header header;
  header.version = static_cast<std::uint8_t>(file[0]);
  const auto flavour = FlavourOfVersion(header.version);
  if (!flavour) throw FormatError("el primer byte (" + Hex(header.version) + ") no es el de ninguna versión de dBase");
  header.flavour = *flavour;
  header.languageDriver = static_cast<std::uint8_t>(file[kLanguageDriverOffset]);
  header.recordCount = LE32(file, kRecordCountOffset);
  header.headerLength = LE16(file, kHeaderLengthOffset);
  header.recordLength = LE16(file, kRecordLengthOffset);

  if (header.headerLength < kHeaderSize + 1)
    throw FormatError("la longitud de cabecera (" + std::to_string(header.headerLength) + ") es demasiado pequeña");
  if (header.headerLength > file.size())
    throw FormatError("la cabecera (" + std::to_string(header.headerLength) +
                      " bytes) es más larga que el archivo (" + std::to_string(file.size()) + " bytes)");
  if (header.recordLength < 2) throw FormatError("la longitud de registro es " + std::to_string(header.recordLength));

  if (header.flavour == Flavour::DBase4) {
    // Level 4 is dBase IV with 32-byte descriptors or dBase 7 with a 68-byte
    // header and 48-byte descriptors; only one of them fits the record length.
    std::string classicError = "la cabecera no es de dBase IV";
    if (header.version != kDBase7Memo) {
      try {
        header.fields = ReadDescriptors(file, header.headerLength, header.recordLength, Flavour::DBase4, kClassicLayout);
      } catch (const FormatError& error) {
        classicError = error.what();
      }
    }
    if (header.fields.empty()) {
      if (header.headerLength <= kDBase7HeaderSize) throw FormatError(classicError);
      try {
        header.fields = ReadDescriptors(file, header.headerLength, header.recordLength, Flavour::DBase7, kDBase7Layout);
        header.flavour = Flavour::DBase7;
      } catch (const FormatError&) {
        if (header.version == kDBase7Memo) throw;
        throw FormatError(classicError);
      }
    }
  } else {
    header.fields = ReadDescriptors(file, header.headerLength, header.recordLength, header.flavour, kClassicLayout);
  }

  const auto available = (file.size() - header.headerLength) / header.recordLength;
  if (header.recordCount > available)
    throw FormatError("la cabecera anuncia " + std::to_string(header.recordCount) +
                      " registros y el archivo sólo contiene " + std::to_string(available) +
                      " (está truncado)");
  return header;
}

}  // namespace pontexa::tables::dbf
