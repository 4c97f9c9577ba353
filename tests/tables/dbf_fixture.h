#pragma once

// Builds dBase table files byte by byte, in the flavours other programs write,
// so that tests can feed the reader exactly the bytes they mean.
//
//   DbfFixture soluc;
//   soluc.flavour = DbfFlavour::VisualFoxPro;
//   soluc.fields = {{"CODGRUPO", 'C', 10}, {"DIA", 'N', 2}, {"HORA", 'N', 5, 2}};
//   soluc.rows = {{"1A", "3", "2.50"}};
//   soluc.WriteTo(folder / "SOLUC.DBF");
//
// Cells are given as text. Text-coded types (C, N, F, D, L, V, and dBase
// memo pointers) are laid out as dBase does: N and F right-aligned, the others
// left-aligned, padded with blanks. Binary types (I, +, O, Y, T, @, 0, and B,
// M, G in Visual FoxPro) take the exact bytes (see the encoders below),
// padded with NUL bytes. A missing cell is an empty field. A cell longer than
// its field is cut.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pontexa::testing {

enum class DbfFlavour { DBase3, DBase4, DBase7, FoxPro2, VisualFoxPro };

struct DbfFixtureField {
  std::string name;
  char type = 'C';
  int length = 10;
  int decimals = 0;
  // Visual FoxPro field flags (0x01 system, 0x02 nullable); _NullFlags (type
  // '0') gets 0x05 when left at 0.
  std::uint8_t foxFlags = 0;
};

struct DbfFixture {
  DbfFlavour flavour = DbfFlavour::DBase3;
  // The version byte; by default 0x03 (dBase III), 0x8B (dBase IV),
  // 0x04 (dBase 7), 0xF5 (FoxPro 2), 0x30 (Visual FoxPro).
  std::optional<std::uint8_t> version;
  std::uint8_t languageDriver = 0x57;  // Windows-1252
  std::vector<DbfFixtureField> fields;
  std::vector<std::vector<std::string>> rows;
  std::vector<bool> deleted;  // per row; missing entries are live records
  bool endMark = true;        // the 0x1A after the last record
  // Overrides of header words, for broken files.
  std::optional<std::uint32_t> recordCount;
  std::optional<std::uint16_t> headerLength;
  std::optional<std::uint16_t> recordLength;
  // Bytes between the descriptors' terminator (and VFP's backlink) and the
  // first record, counted in the header length (dBase 7 field properties).
  std::size_t extraHeaderBytes = 0;
  bool terminator = true;  // the 0x0D after the descriptors

  std::string Bytes() const;
  void WriteTo(const std::filesystem::path& path) const;
};

// Encoders for binary cells.
std::string Int32LE(std::int32_t value);       // FoxPro I
std::string DBase7Int32(std::int32_t value);   // dBase 7 I and +
std::string DoubleLE(double value);            // FoxPro B
std::string DBase7Double(double value);        // dBase 7 O
std::string CurrencyLE(std::int64_t tenThousandths);  // Y
std::string FoxDateTime(std::int32_t julianDay, std::int32_t milliseconds);  // T
std::string DBase7Timestamp(double millisecondsSinceJulianEpoch);           // @

}  // namespace pontexa::testing
