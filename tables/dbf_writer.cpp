#include "tables/dbf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "platform/files.h"
#include "tables/dbf_format.h"
#include "tables/table.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace pontexa::tables {
namespace {

int StoredWidth(const FieldDef& field) {
  switch (field.type) {
    case FieldType::String: return field.size;
    case FieldType::Integer: return dbf::kIntegerWidth;
    case FieldType::Float: return dbf::kFloatWidth;
  }
  return 0;
}

void PutLE16(std::string& out, std::size_t at, std::size_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void PutLE32(std::string& out, std::size_t at, std::size_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// Halves go to the even neighbour, as the platform rounds.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

}  // namespace

DbfWriter::DbfWriter(const TableLayout& layout, std::chrono::year_month_day date)
    : layout_(layout), date_(date) {
  for (const FieldDef& field : layout_.fields) {
    offsets_.push_back(recordLength_);
    recordLength_ += StoredWidth(field);
  }
}

std::chrono::year_month_day DbfWriter::Today() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
  return std::chrono::year_month_day{std::chrono::year{local->tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local->tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local->tm_mday)}};
}

namespace {

std::size_t FieldIndex(const TableLayout& layout, std::string_view name) {
  for (std::size_t i = 0; i < layout.fields.size(); ++i)
    if (text::SameTextIgnoringCase(layout.fields[i].name, name)) return i;
  throw TableError("Campo '" + text::AnsiToUtf8(name) + "' no encontrado en la tabla " + std::string(layout.name));
}

}  // namespace

void DbfWriter::Append() {
  if (appending_) Post();
  current_.assign(static_cast<std::size_t>(recordLength_), ' ');
  current_[0] = dbf::kRecordValid;
  appending_ = true;
}

void DbfWriter::Post() {
  if (!appending_) throw TableError("No hay ningún registro nuevo que guardar en la tabla " + std::string(layout_.name));
  records_ += current_;
  current_.clear();
  appending_ = false;
}

void DbfWriter::SetString(std::string_view field, std::string_view ansiText) {
  const std::size_t index = FieldIndex(layout_, field);
  const FieldDef& def = layout_.fields[index];
  if (!appending_) throw TableError("No hay ningún registro nuevo en la tabla " + std::string(layout_.name));
  if (def.type == FieldType::String) {
    const auto width = static_cast<std::size_t>(def.size);
    std::string stored(ansiText.substr(0, width));
    stored.resize(width, ' ');
    current_.replace(static_cast<std::size_t>(offsets_[index]), width, stored);
    return;
  }
  // A numeric field takes the number the text stands for; '' leaves it empty.
  std::string_view trimmed = ansiText;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed.empty()) {
    current_.replace(static_cast<std::size_t>(offsets_[index]), static_cast<std::size_t>(StoredWidth(def)),
                     static_cast<std::size_t>(StoredWidth(def)), ' ');
    return;
  }
  auto value = text::ParseFloat(trimmed, '.');
  if (!value) value = text::ParseFloat(trimmed, ',');
  if (!value)
    throw TableError(std::string(layout_.name) + ", campo " + std::string(def.name) + ": '" +
                     text::AnsiToUtf8(ansiText) + "' no es un número válido");
  SetFloat(field, *value);
}

void DbfWriter::SetFloat(std::string_view field, double value) {
  const std::size_t index = FieldIndex(layout_, field);
  const FieldDef& def = layout_.fields[index];
  if (!appending_) throw TableError("No hay ningún registro nuevo en la tabla " + std::string(layout_.name));
  const std::string where = std::string(layout_.name) + ", campo " + std::string(def.name);
  if (!std::isfinite(value)) throw TableError(where + ": el valor no es un número finito");
  if (def.type == FieldType::String) {
    SetString(field, text::FormatGeneral(value, '.'));
    return;
  }
  if (def.type == FieldType::Integer) {
    const double rounded = RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
      throw TableError(where + ": " + text::FormatGeneral(value, '.') + " no cabe en un entero");
    SetInteger(field, static_cast<std::int32_t>(rounded));
    return;
  }
  const auto width = static_cast<std::size_t>(dbf::kFloatWidth);
  char buffer[400];
  std::to_chars_result result{};
  // Fewer decimals when the whole part is long, so the value still fits.
  for (int decimals = dbf::kFloatDecimals; decimals >= 0; --decimals) {
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc() && static_cast<std::size_t>(result.ptr - buffer) <= width) break;
  }
  const auto length = static_cast<std::size_t>(result.ptr - buffer);
  if (result.ec != std::errc() || length > width)
    throw TableError(where + ": " + text::FormatGeneral(value, '.') + " no cabe en el campo");
  std::string stored(width - length, ' ');
  stored.append(buffer, length);
  current_.replace(static_cast<std::size_t>(offsets_[index]), width, stored);
}

void DbfWriter::SetInteger(std::string_view field, std::int32_t value) {
  const std::size_t index = FieldIndex(layout_, field);
  const FieldDef& def = layout_.fields[index];
  if (!appending_) throw TableError("No hay ningún registro nuevo en la tabla " + std::string(layout_.name));
  if (def.type == FieldType::String) {
    SetString(field, text::FormatInteger(value));
    return;
  }
  if (def.type == FieldType::Float) {
    SetFloat(field, value);
    return;
  }
  const auto width = static_cast<std::size_t>(dbf::kIntegerWidth);
  const std::string digits = text::FormatInteger(value);  // at most 11 characters
  std::string stored(width - digits.size(), ' ');
  stored += digits;
  current_.replace(static_cast<std::size_t>(offsets_[index]), width, stored);
}

std::size_t DbfWriter::RecordCount() const {
  return records_.size() / static_cast<std::size_t>(recordLength_);
}

std::string DbfWriter::Bytes() const {
  const std::size_t fieldCount = layout_.fields.size();
  const std::size_t headerLength = dbf::kHeaderSize + dbf::kDescriptorSize * fieldCount + 1;
  std::string out(headerLength, '\0');
  out[0] = static_cast<char>(dbf::kDBase3);
  const int year = static_cast<int>(date_.year());
  out[dbf::kDateOffset] = static_cast<char>(std::clamp(year - 1900, 0, 255));
  out[dbf::kDateOffset + 1] = static_cast<char>(static_cast<unsigned>(date_.month()));
  out[dbf::kDateOffset + 2] = static_cast<char>(static_cast<unsigned>(date_.day()));
  PutLE32(out, dbf::kRecordCountOffset, RecordCount());
  PutLE16(out, dbf::kHeaderLengthOffset, headerLength);
  PutLE16(out, dbf::kRecordLengthOffset, static_cast<std::size_t>(recordLength_));
  out[dbf::kLanguageDriverOffset] = static_cast<char>(dbf::kDriverAnsi);
  for (std::size_t i = 0; i < fieldCount; ++i) {
    const FieldDef& field = layout_.fields[i];
    const std::size_t at = dbf::kHeaderSize + dbf::kDescriptorSize * i;
    out.replace(at, std::min(field.name.size(), dbf::kNameSize - 1), field.name.substr(0, dbf::kNameSize - 1));
    out[at + dbf::kTypeOffset] = field.type == FieldType::String ? dbf::kCharacter : dbf::kNumeric;
    out[at + dbf::kLengthOffset] = static_cast<char>(StoredWidth(field));
    out[at + dbf::kDecimalsOffset] = static_cast<char>(field.type == FieldType::Float ? dbf::kFloatDecimals : 0);
  }
  out[headerLength - 1] = dbf::kDescriptorTerminator;
  out += records_;
  out += dbf::kEndOfFile;
  return out;
}

void DbfWriter::WriteTo(const std::filesystem::path& path) const {
  platform::OutputFile file(path);
  file.Write(Bytes());
  file.Close();
}

}  // namespace pontexa::tables
