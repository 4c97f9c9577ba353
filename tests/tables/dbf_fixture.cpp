#include "dbf_fixture.h"

#include <bit>
#include <cstring>

#include "support/temp_folder.h"

namespace pontexa::testing {
namespace {

void PutLE(std::string& out, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string BE(std::uint64_t value, int bytes) {
  std::string out(static_cast<std::size_t>(bytes), '\0');
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>(value >> (8 * (bytes - 1 - i)) & 0xFF);
  return out;
}

std::uint8_t DefaultVersion(DbfFlavour flavour) {
  switch (flavour) {
    case DbfFlavour::DBase3: return 0x03;
    case DbfFlavour::DBase4: return 0x8B;
    case DbfFlavour::DBase7: return 0x04;
    case DbfFlavour::FoxPro2: return 0xF5;
    case DbfFlavour::VisualFoxPro: return 0x30;
  }
  return 0x03;
}

bool IsBinary(char type, DbfFlavour flavour) {
  switch (type) {
    case 'I': case '+': case 'O': case 'Y': case 'T': case '@': case '0': return true;
    case 'B': case 'M': case 'G': case 'Q': case 'W': return flavour == DbfFlavour::VisualFoxPro;
    default: return false;
  }
}

std::string Cell(const DbfFixtureField& field, const std::string& value, DbfFlavour flavour) {
  const auto length = static_cast<std::size_t>(field.length);
  std::string cut = value.substr(0, length);
  if (IsBinary(field.type, flavour)) {
    cut.resize(length, '\0');
    return cut;
  }
  if (field.type == 'N' || field.type == 'F') return std::string(length - cut.size(), ' ') + cut;
  cut.resize(length, ' ');
  return cut;
}

}  // namespace

std::string DbfFixture::Bytes() const {
  const bool dBase7 = flavour == DbfFlavour::DBase7;
  const bool visualFox = flavour == DbfFlavour::VisualFoxPro;
  const std::size_t first = dBase7 ? 68 : 32;
  const std::size_t descriptorSize = dBase7 ? 48 : 32;
  std::size_t length = first + descriptorSize * fields.size() + (terminator ? 1 : 0) +
                       (visualFox ? 263 : 0) + extraHeaderBytes;
  std::size_t record = 1;
  for (const auto& field : fields) record += static_cast<std::size_t>(field.length);

  std::string out(length, '\0');
  out[0] = static_cast<char>(version.value_or(DefaultVersion(flavour)));
  out[1] = 124;  // 2024-05-01
  out[2] = 5;
  out[3] = 1;
  PutLE(out, 4, recordCount.value_or(static_cast<std::uint32_t>(rows.size())), 4);
  PutLE(out, 8, headerLength.value_or(static_cast<std::uint16_t>(length)), 2);
  PutLE(out, 10, recordLength.value_or(static_cast<std::uint16_t>(record)), 2);
  out[29] = static_cast<char>(languageDriver);
  if (dBase7) std::memcpy(&out[32], "DBWINWE0", 8);

  std::size_t at = first;
  std::size_t offset = 1;
  for (const auto& field : fields) {
    const std::size_t nameSize = dBase7 ? 31 : 10;
    std::memcpy(&out[at], field.name.data(), std::min(field.name.size(), nameSize));
    if (dBase7) {
      out[at + 32] = field.type;
      out[at + 33] = static_cast<char>(field.length);
      out[at + 34] = static_cast<char>(field.decimals);
    } else {
      out[at + 11] = field.type;
      if (flavour == DbfFlavour::FoxPro2 || visualFox) PutLE(out, at + 12, offset, 4);
      out[at + 16] = static_cast<char>(field.length);
      out[at + 17] = static_cast<char>(field.decimals);
      if (visualFox) out[at + 18] = static_cast<char>(field.foxFlags ? field.foxFlags : (field.type == '0' ? 0x05 : 0));
    }
    offset += static_cast<std::size_t>(field.length);
    at += descriptorSize;
  }
  if (terminator) out[at] = 0x0D;

  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += r < deleted.size() && deleted[r] ? '*' : ' ';
    for (std::size_t f = 0; f < fields.size(); ++f)
      out += Cell(fields[f], f < rows[r].size() ? rows[r][f] : std::string(), flavour);
  }
  if (endMark) out += '\x1A';
  return out;
}

void DbfFixture::WriteTo(const std::filesystem::path& path) const { WriteBytes(path, Bytes()); }

std::string Int32LE(std::int32_t value) {
  std::string out(4, '\0');
  PutLE(out, 0, static_cast<std::uint32_t>(value), 4);
  return out;
}

std::string DBase7Int32(std::int32_t value) {
  return BE(static_cast<std::uint32_t>(value) ^ 0x80000000u, 4);
}

std::string DoubleLE(double value) {
  std::string out(8, '\0');
  PutLE(out, 0, std::bit_cast<std::uint64_t>(value), 8);
  return out;
}

std::string DBase7Double(double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  bits = (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
  return BE(bits, 8);
}

std::string CurrencyLE(std::int64_t tenThousandths) {
  std::string out(8, '\0');
  PutLE(out, 0, static_cast<std::uint64_t>(tenThousandths), 8);
  return out;
}

std::string FoxDateTime(std::int32_t julianDay, std::int32_t milliseconds) {
  return Int32LE(julianDay) + Int32LE(milliseconds);
}

std::string DBase7Timestamp(double millisecondsSinceJulianEpoch) {
  return DBase7Double(millisecondsSinceJulianEpoch);
}

}  // namespace pontexa::testing
