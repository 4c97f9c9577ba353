#include "tables/dbf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "platform/files.h"
#include "platform/utf8_path.h"
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

// Records are sent to a streamed file in blocks of about this size.
constexpr std::size_t kStreamBlock = std::size_t{1} << 16;

// The file is mostly the table's new copy beside the old one, a name the user
// never sees: a failure names the table and its folder instead.
template <typename Action>
void OnTableFile(std::string_view table, const std::filesystem::path& path, Action action) {
  try {
    action();
  } catch (const platform::FileError& failure) {
    throw TableError("No se puede escribir la tabla " + std::string(table) + " en la carpeta " +
                     platform::Quoted(path.parent_path()) + ": " + failure.Reason());
  }
}

}  // namespace

struct DbfWriter::Stream {
  explicit Stream(const std::filesystem::path& path, std::size_t records) : file(path), records(records) {}
  platform::OutputFile file;
  std::size_t records;
  bool finished = false;
};

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

std::size_t DbfWriter::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < layout_.fields.size(); ++i)
    if (text::SameTextIgnoringCase(layout_.fields[i].name, name)) return i;
  throw TableError("Campo '" + text::AnsiToUtf8(name) + "' no encontrado en la tabla " + std::string(layout_.name));
}

const FieldDef& DbfWriter::Def(std::size_t field) const {
  if (field >= layout_.fields.size())
    throw TableError("La tabla " + std::string(layout_.name) + " no tiene un campo número " +
                     text::FormatInteger(static_cast<std::int64_t>(field) + 1));
  if (!appending_) throw TableError("No hay ningún registro nuevo en la tabla " + std::string(layout_.name));
  return layout_.fields[field];
}

void DbfWriter::Append() {
  if (appending_) Post();
  current_.assign(static_cast<std::size_t>(recordLength_), ' ');
  current_[0] = dbf::kRecordValid;
  appending_ = true;
}

void DbfWriter::Post() {
  if (!appending_) throw TableError("No hay ningún registro nuevo que guardar en la tabla " + std::string(layout_.name));
  if (stream_ && posted_ >= stream_->records)
    throw TableError("La tabla " + std::string(layout_.name) + " recibe más registros de los " +
                     text::FormatInteger(static_cast<std::int64_t>(stream_->records)) + " anunciados");
  records_ += current_;
  ++posted_;
  appending_ = false;
  if (stream_ && records_.size() >= kStreamBlock) {
    OnTableFile(layout_.name, stream_->file.Path(), [&] { stream_->file.Write(records_); });
    records_.clear();
  }
}

void DbfWriter::Reserve(std::size_t records) {
  if (!stream_) records_.reserve(records * static_cast<std::size_t>(recordLength_));
}

void DbfWriter::StreamTo(const std::filesystem::path& path, std::size_t records) {
  if (stream_ || posted_ > 0 || appending_)
    throw TableError("La tabla " + std::string(layout_.name) + " ya tiene registros; no puede escribirse por bloques");
  if (records > 0xFFFFFFFFu)
    throw TableError("La tabla " + std::string(layout_.name) + " no admite tantos registros");
  OnTableFile(layout_.name, path, [&] {
    auto stream = std::make_shared<Stream>(path, records);
    stream->file.Write(Header(records));
    stream_ = std::move(stream);
  });
  records_.clear();
  records_.shrink_to_fit();
  records_.reserve(kStreamBlock + static_cast<std::size_t>(recordLength_));
}

void DbfWriter::SetString(std::string_view field, std::string_view ansiText) { SetString(FieldIndex(field), ansiText); }
void DbfWriter::SetFloat(std::string_view field, double value) { SetFloat(FieldIndex(field), value); }
void DbfWriter::SetInteger(std::string_view field, std::int32_t value) { SetInteger(FieldIndex(field), value); }

void DbfWriter::SetString(std::size_t index, std::string_view ansiText) {
  const FieldDef& def = Def(index);
  char* const at = current_.data() + offsets_[index];
  if (def.type == FieldType::String) {
    const auto width = static_cast<std::size_t>(def.size);
    const std::size_t kept = std::min(width, ansiText.size());
    std::copy_n(ansiText.data(), kept, at);
    std::fill(at + kept, at + width, ' ');
    return;
  }
  // A numeric field takes the number the text stands for; '' leaves it empty.
  std::string_view trimmed = ansiText;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed.empty()) {
    std::fill_n(at, StoredWidth(def), ' ');
    return;
  }
  auto value = text::ParseFloat(trimmed, '.');
  if (!value) value = text::ParseFloat(trimmed, ',');
  if (!value)
    throw TableError(std::string(layout_.name) + ", campo " + std::string(def.name) + ": '" +
                     text::AnsiToUtf8(ansiText) + "' no es un número válido");
  SetFloat(index, *value);
}

void DbfWriter::SetFloat(std::size_t index, double value) {
  const FieldDef& def = Def(index);
  const auto where = [&] { return std::string(layout_.name) + ", campo " + std::string(def.name); };
  if (!std::isfinite(value)) throw TableError(where() + ": el valor no es un número finito");
  if (def.type == FieldType::String) {
    SetString(index, text::FormatGeneral(value, '.'));
    return;
  }
  if (def.type == FieldType::Integer) {
    const double rounded = text::RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
      throw TableError(where() + ": " + text::FormatGeneral(value, '.') + " no cabe en un entero");
    SetInteger(index, static_cast<std::int32_t>(rounded));
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
    throw TableError(where() + ": " + text::FormatGeneral(value, '.') + " no cabe en el campo");
  char* const at = current_.data() + offsets_[index];
  std::fill_n(at, width - length, ' ');
  std::copy_n(buffer, length, at + (width - length));
}

void DbfWriter::SetInteger(std::size_t index, std::int32_t value) {
  const FieldDef& def = Def(index);
  if (def.type == FieldType::String) {
    SetString(index, text::FormatInteger(value));
    return;
  }
  if (def.type == FieldType::Float) {
    SetFloat(index, value);
    return;
  }
  const auto width = static_cast<std::size_t>(dbf::kIntegerWidth);
  const std::string digits = text::FormatInteger(value);  // at most 11 characters
  char* const at = current_.data() + offsets_[index];
  std::fill_n(at, width - digits.size(), ' ');
  std::copy_n(digits.data(), digits.size(), at + (width - digits.size()));
}

std::size_t DbfWriter::RecordCount() const { return posted_; }

std::string DbfWriter::Header(std::size_t records) const {
  const std::size_t fieldCount = layout_.fields.size();
  const std::size_t headerLength = dbf::kHeaderSize + dbf::kDescriptorSize * fieldCount + 1;
  std::string out(headerLength, '\0');
  out[0] = static_cast<char>(dbf::kDBase3);
  const int year = static_cast<int>(date_.year());
  out[dbf::kDateOffset] = static_cast<char>(std::clamp(year - 1900, 0, 255));
  out[dbf::kDateOffset + 1] = static_cast<char>(static_cast<unsigned>(date_.month()));
  out[dbf::kDateOffset + 2] = static_cast<char>(static_cast<unsigned>(date_.day()));
  PutLE32(out, dbf::kRecordCountOffset, records);
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
  return out;
}

std::string DbfWriter::Bytes() const {
  if (stream_)
    throw TableError("Los registros de la tabla " + std::string(layout_.name) + " ya se han enviado a su archivo");
  std::string out = Header(posted_);
  out.reserve(out.size() + records_.size() + 1);
  out += records_;
  out += dbf::kEndOfFile;
  return out;
}

void DbfWriter::WriteTo(const std::filesystem::path& path) const {
  if (stream_) {
    Stream& stream = *stream_;
    if (stream.finished || path != stream.file.Path())
      throw TableError("La tabla " + std::string(layout_.name) + " ya se está escribiendo en otro archivo");
    if (posted_ != stream.records)
      throw TableError("La tabla " + std::string(layout_.name) + " tiene " +
                       text::FormatInteger(static_cast<std::int64_t>(posted_)) + " registros y se anunciaron " +
                       text::FormatInteger(static_cast<std::int64_t>(stream.records)));
    OnTableFile(layout_.name, path, [&] {
      stream.file.Write(records_);
      stream.file.Write(std::string_view(&dbf::kEndOfFile, 1));
      stream.file.Close();
    });
    stream.finished = true;
    return;
  }
  OnTableFile(layout_.name, path, [&] {
    platform::OutputFile file(path);
    file.Write(Header(posted_));
    file.Write(records_);
    file.Write(std::string_view(&dbf::kEndOfFile, 1));
    file.Close();
  });
}

}  // namespace pontexa::tables
