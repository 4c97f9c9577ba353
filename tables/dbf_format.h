#pragma once

// Byte layout of dBase table files, as the reader and the writer share it.
// Offsets are from the start of the file, of a field descriptor or of a record.

#include <cstddef>
#include <cstdint>

namespace pontexa::tables::dbf {

// Version byte (offset 0).
inline constexpr std::uint8_t kDBase3 = 0x03;
inline constexpr std::uint8_t kDBase3Memo = 0x83;
inline constexpr std::uint8_t kDBase4 = 0x04;  // also dBase 7 without memo
inline constexpr std::uint8_t kDBase4Memo = 0x8B;
inline constexpr std::uint8_t kDBase4SqlMemo = 0x8E;
inline constexpr std::uint8_t kDBase7Memo = 0x8C;
inline constexpr std::uint8_t kVisualFoxPro = 0x30;
inline constexpr std::uint8_t kVisualFoxProAutoIncrement = 0x31;
inline constexpr std::uint8_t kVisualFoxProVarchar = 0x32;
inline constexpr std::uint8_t kFoxPro2Memo = 0xF5;
inline constexpr std::uint8_t kFoxBaseMemo = 0xFB;
inline constexpr std::uint8_t kLevelMask = 0x07;  // dBase: bits 0-2 hold the level

// Main header.
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kDateOffset = 1;           // YY (from 1900), MM, DD
inline constexpr std::size_t kRecordCountOffset = 4;    // uint32 LE
inline constexpr std::size_t kHeaderLengthOffset = 8;   // uint16 LE
inline constexpr std::size_t kRecordLengthOffset = 10;  // uint16 LE
inline constexpr std::size_t kLanguageDriverOffset = 29;

// dBase 7 puts a language driver name and a reserved word after the 32 bytes.
inline constexpr std::size_t kDBase7HeaderSize = 68;

// Field descriptors: dBase III/IV and FoxPro.
inline constexpr std::size_t kDescriptorSize = 32;
inline constexpr std::size_t kNameSize = 11;
inline constexpr std::size_t kTypeOffset = 11;
inline constexpr std::size_t kLengthOffset = 16;
inline constexpr std::size_t kDecimalsOffset = 17;
inline constexpr std::size_t kFoxFlagsOffset = 18;
inline constexpr std::uint8_t kFoxSystemField = 0x01;  // hidden column (_NullFlags)

// Field descriptors: dBase 7.
inline constexpr std::size_t kDBase7DescriptorSize = 48;
inline constexpr std::size_t kDBase7NameSize = 32;
inline constexpr std::size_t kDBase7TypeOffset = 32;
inline constexpr std::size_t kDBase7LengthOffset = 33;
inline constexpr std::size_t kDBase7DecimalsOffset = 34;

inline constexpr char kDescriptorTerminator = 0x0D;
inline constexpr char kEndOfFile = 0x1A;

// Visual FoxPro keeps the path of its database container after the terminator.
inline constexpr std::size_t kVisualFoxProBacklinkSize = 263;

// First byte of every record.
inline constexpr char kRecordValid = ' ';
inline constexpr char kRecordDeleted = '*';

// Language driver byte.
inline constexpr std::uint8_t kDriverUnset = 0x00;
inline constexpr std::uint8_t kDriverCp437 = 0x01;
inline constexpr std::uint8_t kDriverCp850 = 0x02;
inline constexpr std::uint8_t kDriverCp1252 = 0x03;
inline constexpr std::uint8_t kDriverAnsi = 0x57;
inline constexpr std::uint8_t kDriverWesternAnsi = 0x58;
inline constexpr std::uint8_t kDriverSpanishAnsi = 0x59;

// Field types.
inline constexpr char kCharacter = 'C';
inline constexpr char kNumeric = 'N';
inline constexpr char kFloat = 'F';
inline constexpr char kInteger = 'I';
inline constexpr char kAutoIncrement = '+';
inline constexpr char kDouble = 'O';
inline constexpr char kBinaryOrDouble = 'B';  // FoxPro double; dBase binary memo
inline constexpr char kCurrency = 'Y';
inline constexpr char kDate = 'D';
inline constexpr char kLogical = 'L';
inline constexpr char kDateTime = 'T';
inline constexpr char kTimestamp = '@';
inline constexpr char kMemo = 'M';
inline constexpr char kGeneral = 'G';
inline constexpr char kPicture = 'P';
inline constexpr char kVarchar = 'V';
inline constexpr char kVarbinary = 'Q';
inline constexpr char kBlob = 'W';
inline constexpr char kNullFlags = '0';

// What the writer makes of the system's field types.
inline constexpr int kIntegerWidth = 11;
inline constexpr int kFloatWidth = 20;
inline constexpr int kFloatDecimals = 6;

}  // namespace pontexa::tables::dbf
