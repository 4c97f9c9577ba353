#pragma once

// Writes a dBase III+ table (version 0x03, language driver 0x57 = Windows-1252)
// with one of the layouts of layouts.h. Records are kept in memory and the
// file is written by WriteTo(), so a failure never leaves a half table.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tables/layouts.h"

namespace pontexa::tables {

class DbfWriter {
 public:
  // `date` is the "last update" written into the header (today by default).
  explicit DbfWriter(const TableLayout& layout,
                     std::chrono::year_month_day date = Today());

  // Starts a new record with every field empty.
  void Append();
  // Field writes by name (letter case ignored). Text longer than a character
  // field is cut to its size; a numeric field takes its text form.
  void SetString(std::string_view field, std::string_view ansiText);
  void SetFloat(std::string_view field, double value);
  void SetInteger(std::string_view field, std::int32_t value);

  // The same writes by the field's position in the layout, found once with
  // FieldIndex (letter case ignored; TableError for a name the layout lacks),
  // for loops that fill many records.
  std::size_t FieldIndex(std::string_view field) const;
  void SetString(std::size_t field, std::string_view ansiText);
  void SetFloat(std::size_t field, double value);
  void SetInteger(std::size_t field, std::int32_t value);

  // Adds the record after the ones posted before.
  void Post();
  // Room for this many records in all, so that a table of known size is not
  // copied as it grows.
  void Reserve(std::size_t records);

  // For a large table whose number of records is known before the first one:
  // the header (holding that number) goes to `path` at once and each posted
  // record follows it in large blocks, so the records are never all in
  // memory. WriteTo(path) with the same path then ends the file, and throws
  // TableError when another number of records was posted; until then the
  // file is incomplete, so this is for a file built aside (a staging path).
  // Bytes() is not available after it.
  void StreamTo(const std::filesystem::path& path, std::size_t records);

  std::size_t RecordCount() const;
  // The file's bytes: header, records, end mark.
  std::string Bytes() const;
  // Writes Bytes() to `path` (a new file, flushed to disk), streamed from the
  // records as they are kept, without a copy of the whole table.
  void WriteTo(const std::filesystem::path& path) const;

  static std::chrono::year_month_day Today();

 private:
  std::string Header(std::size_t records) const;
  const FieldDef& Def(std::size_t field) const;

  const TableLayout& layout_;
  std::chrono::year_month_day date_;
  std::vector<int> offsets_;  // of each field within a record
  int recordLength_ = 1;
  std::string records_;       // posted records, back to back (when streaming: not yet sent)
  std::string current_;       // the record being filled
  std::size_t posted_ = 0;
  bool appending_ = false;
  struct Stream;
  std::shared_ptr<Stream> stream_;  // set by StreamTo
};

}  // namespace pontexa::tables
