#include "tables/table.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/error_context.h"
#include "platform/files.h"
#include "tables/code_pages.h"
#include "tables/dbf_format.h"
#include "tables/dbf_header.h"
#include "tables/exchange_folder.h"
#include "tables/field_values.h"
#include "tables/text_index.h"
#include "text/cp1252.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;

namespace pontexa::tables {
namespace {

using dbf::Decoding;
using dbf::FieldValue;


bool IsNumeric(Decoding decoding) {
  switch (decoding) {
    case Decoding::Numeric:
    case Decoding::IntegerLE:
    case Decoding::IntegerDBase7:
    case Decoding::DoubleLE:
    case Decoding::DoubleDBase7:
    case Decoding::Currency: return true;
    default: return false;
  }
}

}  // namespace

struct Table::Impl {
  fs::path folder;
  std::string name;
  text::RegionalSettings settings;
  std::optional<fs::path> file;  // set by SetFile

  bool active = false;
  std::optional<platform::FileLock> lock;
  std::string bytes;
  dbf::Header header;
  dbf::CodePageConverter converter{dbf::CodePage::Cp1252};
  std::unordered_map<std::string, std::size_t> fieldsByName;  // case-insensitive key -> field
  std::vector<std::uint32_t> live;  // record numbers (from 0) of the records not deleted
  std::size_t position = 0;         // into `live`
  bool eof = true;

  // Locate: per field, the first position of each value; fields whose values
  // do not all read are walked instead.
  std::unordered_map<std::size_t, TextIndex> indexes;
  std::unordered_set<std::size_t> walkOnly;

  [[noreturn]] void Fail(const std::string& message) const { throw TableError(message); }

  // Checked before the file is opened: a FIFO would hang the open, a folder
  // would read as nonsense.
  void RequireRegular(const fs::path& path) const {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    const std::string named = "La tabla " + name + " ('" + platform::Utf8(path) + "')";
    if (fs::is_directory(status)) Fail(named + " es una carpeta, no un archivo");
    if (!error && fs::exists(status) && !fs::is_regular_file(status))
      Fail(named + " no es un archivo normal (es una tubería, un dispositivo o un socket)");
  }

  void RequireActive() const {
    if (!active) Fail("La tabla " + name + " no está abierta");
  }

  // A Field kept from an earlier opening may point past the fields of this one.
  void RequireField(std::size_t field) const {
    RequireActive();
    if (field >= header.fields.size()) Fail("El campo ya no existe en la tabla " + name);
  }

  std::string Where(std::size_t field) const {
    return name + ", campo " + header.fields[field].name + ", registro " + std::to_string(RecordNumber());
  }

  std::size_t RecordNumber() const { return live.empty() ? 0 : live[position] + 1; }

  std::optional<std::size_t> FindField(std::string_view fieldName) const {
    const auto it = fieldsByName.find(text::CaseInsensitiveKey(fieldName));
    if (it == fieldsByName.end()) return std::nullopt;
    return it->second;
  }

  std::string_view RawAt(std::size_t field, std::size_t at) const {
    const dbf::FieldLayout& layout = header.fields[field];
    const std::size_t start = header.headerLength + static_cast<std::size_t>(live[at]) * header.recordLength + layout.offset;
    return std::string_view(bytes).substr(start, layout.length);
  }

  // The value of a field on the record at `at` in `live` (the current one by default).
  FieldValue ValueAt(std::size_t field, std::size_t at) const {
    if (live.empty()) return FieldValue::Empty();
    const dbf::FieldLayout& layout = header.fields[field];
    const std::string_view raw = RawAt(field, at);
    auto value = dbf::ParseField(layout.decoding, raw, layout.decimals);
    if (!value) {
      std::string_view trimmed = raw;
      while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\0')) trimmed.remove_prefix(1);
      while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\0')) trimmed.remove_suffix(1);
      const std::string shown = text::AnsiToUtf8(converter.ToAnsi(trimmed));
      Fail(name + ", campo " + layout.name + ", registro " + std::to_string(live[at] + 1) + ": el valor guardado '" +
           shown + "' no es válido para un campo de tipo " + std::string(1, layout.type) + " (la tabla está dañada)");
    }
    if (value->kind == FieldValue::Kind::Text && !converter.Identity()) value->text = converter.ToAnsi(value->text);
    return *std::move(value);
  }

  // AsString of a field on the record at `at`. A character field of a table
  // already in Windows-1252 is its stored bytes without the fill, read in
  // place: the lookups and the steps that follow them read these most.
  std::string StringAt(std::size_t field, std::size_t at) const {
    if (!live.empty() && header.fields[field].decoding == Decoding::Character && converter.Identity()) {
      std::string_view raw = RawAt(field, at);
      while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
      return std::string(raw);
    }
    return StringOf(ValueAt(field, at));
  }

  std::string StringOf(FieldValue&& value) const {
    if (value.kind == FieldValue::Kind::Text) return std::move(value.text);
    return StringOf(static_cast<const FieldValue&>(value));
  }

  std::string StringOf(const FieldValue& value) const {
    switch (value.kind) {
      case FieldValue::Kind::Text: return value.text;
      case FieldValue::Kind::Integer: return text::FormatInteger(value.integer);
      case FieldValue::Kind::Real: return text::FormatGeneral(value.real, settings.decimalSeparator);
      case FieldValue::Kind::Empty:
      case FieldValue::Kind::Unread: return {};
    }
    return {};
  }

  void Open() {
    if (active) return;
    fs::path path;
    if (file) {
      path = *file;
      std::error_code error;
      if (!fs::exists(fs::status(path, error))) Fail("No existe la tabla " + name + " ('" + platform::Utf8(path) + "')");
    } else {
      auto found = FindTableFile(folder, name);
      if (!found) Fail("No existe la tabla " + name + " en la carpeta '" + platform::Utf8(folder) + "'");
      path = *found;
    }
    RequireRegular(path);
    std::optional<platform::FileLock> held;
    std::string content;
    try {
      held = platform::FileLock::TryExclusive(path);
      if (!held) Fail("La tabla " + name + " está en uso por otro programa");
      content = platform::ReadFile(path);
    } catch (const TableError&) {
      throw;
    } catch (const pontexa::Error& error) {
      Fail(WithContext("No se puede abrir la tabla " + name, platform::Quoted(path), error.what()));
    }
    dbf::Header parsed;
    try {
      parsed = dbf::ParseHeader(content);
    } catch (const dbf::FormatError& error) {
      Fail("La tabla " + name + " ('" + platform::Utf8(path) + "') está dañada: " + error.what());
    }

    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < parsed.fields.size(); ++i)
      if (!parsed.fields[i].hidden) byName.try_emplace(text::CaseInsensitiveKey(parsed.fields[i].name), i);
    std::vector<std::uint32_t> current;
    current.reserve(parsed.recordCount);
    for (std::uint32_t record = 0; record < parsed.recordCount; ++record) {
      const std::size_t start = parsed.headerLength + static_cast<std::size_t>(record) * parsed.recordLength;
      if (content[start] != dbf::kRecordDeleted) current.push_back(record);
    }

    converter = dbf::CodePageConverter(dbf::CodePageOfDriver(parsed.languageDriver));
    bytes = std::move(content);
    header = std::move(parsed);
    fieldsByName = std::move(byName);
    live = std::move(current);
    lock = std::move(held);
    indexes.clear();
    walkOnly.clear();
    position = 0;
    eof = live.empty();
    active = true;
  }

  void Close() {
    if (!active) return;
    active = false;
    lock.reset();
    bytes = std::string();
    live = {};
    indexes.clear();
    walkOnly.clear();
    position = 0;
    eof = true;
  }

  bool Walk(std::size_t field, std::string_view value) {
    for (std::size_t at = 0; at < live.size(); ++at) {
      position = at;
      if (StringAt(field, at) == value) {
        eof = false;
        return true;
      }
    }
    eof = true;
    return false;
  }

  bool Locate(std::size_t field, std::string_view value) {
    if (live.empty()) {
      eof = true;
      return false;
    }
    if (walkOnly.count(field)) return Walk(field, value);
    auto it = indexes.find(field);
    if (it == indexes.end()) {
      TextIndex index(live.size());
      try {
        for (std::size_t at = 0; at < live.size(); ++at)
          index.Insert(StringAt(field, at), static_cast<std::uint32_t>(at));
      } catch (const TableError&) {
        // A value that does not read: the walk raises exactly where a reader would.
        walkOnly.insert(field);
        return Walk(field, value);
      }
      it = indexes.emplace(field, std::move(index)).first;
    }
    const std::optional<std::size_t> found = it->second.Find(value);
    if (!found) {
      position = live.size() - 1;
      eof = true;
      return false;
    }
    position = *found;
    eof = false;
    return true;
  }
};

// ---------------------------------------------------------------------------
// Field

const std::string& Field::Name() const {
  static const std::string kNone;
  const auto& fields = table_->impl_->header.fields;
  return index_ < fields.size() ? fields[index_].name : kNone;
}

std::string Field::AsString() const {
  const Table::Impl& impl = *table_->impl_;
  impl.RequireField(index_);
  return impl.StringAt(index_, impl.position);
}

std::int32_t Field::AsInteger() const {
  const Table::Impl& impl = *table_->impl_;
  impl.RequireField(index_);
  const auto& layout = impl.header.fields[index_];
  const FieldValue value = impl.ValueAt(index_, impl.position);
  auto inRange = [&](double v) -> std::int32_t {
    if (!(v >= -2147483648.0 && v <= 2147483647.0))  // NaN fails here too
      impl.Fail(impl.Where(index_) + ": '" + impl.StringOf(value) + "' no es un valor entero válido");
    return static_cast<std::int32_t>(v);
  };
  switch (value.kind) {
    case FieldValue::Kind::Integer: return inRange(static_cast<double>(value.integer));
    case FieldValue::Kind::Real: return inRange(text::RoundHalfEven(value.real));
    case FieldValue::Kind::Empty:
      if (IsNumeric(layout.decoding)) return 0;
      break;
    default: break;
  }
  const std::string textValue = impl.StringOf(value);
  if (const auto parsed = text::ParseInt32(textValue)) return *parsed;
  impl.Fail(impl.Where(index_) + ": '" + text::AnsiToUtf8(textValue) + "' no es un valor entero válido");
}

double Field::AsFloat() const {
  const Table::Impl& impl = *table_->impl_;
  impl.RequireField(index_);
  const auto& layout = impl.header.fields[index_];
  const FieldValue value = impl.ValueAt(index_, impl.position);
  switch (value.kind) {
    case FieldValue::Kind::Integer: return static_cast<double>(value.integer);
    case FieldValue::Kind::Real: return value.real;
    case FieldValue::Kind::Empty:
      if (IsNumeric(layout.decoding)) return 0;
      break;
    default: break;
  }
  const std::string textValue = impl.StringOf(value);
  if (const auto parsed = text::ParseFloat(textValue, impl.settings.decimalSeparator)) return *parsed;
  impl.Fail(impl.Where(index_) + ": '" + text::AnsiToUtf8(textValue) + "' no es un valor de coma flotante válido");
}

// ---------------------------------------------------------------------------
// Table

Table::Table(fs::path folder, std::string tableName, text::RegionalSettings settings)
    : impl_(std::make_unique<Impl>()) {
  impl_->folder = std::move(folder);
  impl_->name = std::move(tableName);
  impl_->settings = settings;
}

Table::~Table() = default;

void Table::SetFile(fs::path file) { impl_->file = std::move(file); }
void Table::Open() { impl_->Open(); }
void Table::Close() { impl_->Close(); }
bool Table::Active() const { return impl_->active; }

void Table::First() {
  impl_->RequireActive();
  impl_->position = 0;
  impl_->eof = impl_->live.empty();
}

void Table::Next() {
  impl_->RequireActive();
  if (impl_->eof) return;
  if (impl_->position + 1 < impl_->live.size()) {
    ++impl_->position;
  } else {
    impl_->eof = true;  // stays on the last record, as a walk past the end does
  }
}

bool Table::Eof() const { return !impl_->active || impl_->eof; }

std::size_t Table::RecordNumber() const { return impl_->active ? impl_->RecordNumber() : 0; }

std::size_t Table::RecordCount() const { return impl_->active ? impl_->live.size() : 0; }

Field Table::FieldByName(std::string_view name) const {
  impl_->RequireActive();
  const auto index = impl_->FindField(name);
  if (!index) impl_->Fail("Campo '" + text::AnsiToUtf8(name) + "' no encontrado en la tabla " + impl_->name);
  return Field(this, *index);
}

Field Table::ReadableFieldByName(std::string_view name) const {
  const Field field = FieldByName(name);
  const dbf::FieldLayout& layout = impl_->header.fields[field.index_];
  if (layout.decoding == Decoding::Memo)
    impl_->Fail("El campo " + layout.name + " de la tabla " + impl_->name + " es de tipo " + std::string(1, layout.type) +
                " (memo o binario), cuyos valores no se pueden leer");
  return field;
}

bool Table::HasField(std::string_view name) const {
  return impl_->active && impl_->FindField(name).has_value();
}

bool Table::Locate(std::string_view keyField, std::string_view value) {
  impl_->RequireActive();
  const auto index = impl_->FindField(keyField);
  if (!index) impl_->Fail("Campo '" + text::AnsiToUtf8(keyField) + "' no encontrado en la tabla " + impl_->name);
  return impl_->Locate(*index, value);
}

bool Table::Locate(const Field& keyField, std::string_view value) {
  impl_->RequireActive();
  if (keyField.table_ != this) impl_->Fail("El campo '" + keyField.Name() + "' no es de la tabla " + impl_->name);
  impl_->RequireField(keyField.index_);
  return impl_->Locate(keyField.index_, value);
}

const std::string& Table::Name() const { return impl_->name; }

}  // namespace pontexa::tables
