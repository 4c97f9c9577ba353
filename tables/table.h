#pragma once

// A table component: opens a dBase table of any level Mirvane may write
// (dBase III/IV/7, FoxPro, Visual FoxPro), walks its current records in file
// order (records marked deleted are skipped) and reads fields by name.
//
// While open it holds an exclusive lock on the file, so another process that
// has the table open makes Open() fail, and vice versa.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "text/numbers.h"

namespace pontexa::tables {

// Missing or held table, broken file, missing field, value that does not
// convert. The message names the table (and field and record where they matter).
class TableError : public pontexa::Error {
 public:
  using pontexa::Error::Error;
};

class Table;

// A field of an open table, read on the table's current record.
class Field {
 public:
  const std::string& Name() const;
  // Character fields: the stored text without the trailing blanks that fill
  // it, converted to Windows-1252 from the table's code page. Numeric fields:
  // integers as decimal text, others in the general number format; '' when
  // empty. Dates as YYYYMMDD, logicals as stored, timestamps as
  // "YYYY-MM-DD HH:MM:SS", memo fields ''.
  std::string AsString() const;
  // Numeric fields: the value, 0 when empty; floating values rounded half to
  // even. Character fields: the text converted as an integer, or TableError.
  std::int32_t AsInteger() const;
  // Numeric fields: the value, 0 when empty. Character fields: the text
  // converted with the user's decimal separator, or TableError.
  double AsFloat() const;

 private:
  friend class Table;
  Field(const Table* table, std::size_t index) : table_(table), index_(index) {}
  const Table* table_;
  std::size_t index_;
};

class Table {
 public:
  // `tableName` without extension ("SOLUC"); the file is found in `folder`
  // without regard to letter case, with the extension .DBF.
  Table(std::filesystem::path folder, std::string tableName,
        text::RegionalSettings settings = text::RegionalSettings::FromEnvironment());
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Reads this file instead of looking the table up in the folder (the export
  // reads back tables it has not yet put in place).
  void SetFile(std::filesystem::path file);

  // Opening an open table does nothing and keeps its current record; closing
  // a closed one does nothing.
  void Open();
  void Close();
  bool Active() const;

  void First();
  void Next();
  bool Eof() const;
  // 1-based number of the current record in the file (deleted ones counted),
  // for messages.
  std::size_t RecordNumber() const;
  // Current (not deleted) records.
  std::size_t RecordCount() const;

  // Letter case ignored; a missing field raises TableError naming field and table.
  Field FieldByName(std::string_view name) const;
  bool HasField(std::string_view name) const;
  // FieldByName for a field whose values will be read: one of a type this
  // reader does not read (memo, binary, general; their data lives in another
  // file) raises TableError naming field and table instead of reading ''.
  Field ReadableFieldByName(std::string_view name) const;

  // The lookup walk: makes the first record (in record order) whose field
  // `keyField`, read with AsString, equals `value` exactly the current record
  // and returns true; without a match, stands at the end (Eof) and returns
  // false. Served by an index built on first use per field.
  bool Locate(std::string_view keyField, std::string_view value);
  // The same with a field taken once from FieldByName, for loops of lookups.
  // A field of another table raises TableError.
  bool Locate(const Field& keyField, std::string_view value);

  const std::string& Name() const;

  struct Impl;

 private:
  friend class Field;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pontexa::tables
