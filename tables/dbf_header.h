#pragma once

// Reads the header of a dBase table file of any level Mirvane may write:
// where the records start, how long each is, and where each field lies in a
// record. Pure: bytes in, description out, so broken files are tested
// without touching a disk.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tables/field_values.h"

namespace pontexa::tables::dbf {

// The file is not a table this reader understands; the message says why (in
// Spanish, without the table's name, which the caller adds).
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Flavour { DBase3, DBase4, DBase7, FoxPro, VisualFoxPro };

struct FieldLayout {
  std::string name;  // as stored (ASCII), without padding
  char type = 0;     // the type letter
  std::size_t offset = 0;  // within the record, after the deletion flag
  std::size_t length = 0;
  int decimals = 0;
  Decoding decoding = Decoding::Character;
  bool hidden = false;  // system columns nobody reads (_NullFlags)
};

struct Header {
  std::uint8_t version = 0;
  Flavour flavour = Flavour::DBase3;
  std::uint8_t languageDriver = 0;
  std::uint32_t recordCount = 0;
  std::size_t headerLength = 0;  // offset of the first record
  std::size_t recordLength = 0;  // deletion flag included
  std::vector<FieldLayout> fields;
};

// Checks that the header describes the file consistently: field descriptors
// inside the header, field lengths adding up to the record length, every
// record announced present in the file. Throws FormatError otherwise.
Header ParseHeader(std::string_view file);

}  // namespace pontexa::tables::dbf
