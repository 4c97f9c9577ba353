#pragma once

// Writes a dBase III+ table (version 0x03, language driver 0x57 = Windows-1252)
// with one of the layouts of layouts.h. Records are kept in memory and the
// file is written by Finish(), so a failure never leaves a half table.

#include <chrono>
#include <cstdint>
#include <filesystem>
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
  // Adds the record after the ones posted before.
  void Post();

  std::size_t RecordCount() const;
  // The file's bytes: header, records, end mark.
  std::string Bytes() const;
  // Writes Bytes() to `path` (a new file, flushed to disk).
  void WriteTo(const std::filesystem::path& path) const;

  static std::chrono::year_month_day Today();

 private:
  const TableLayout& layout_;
  std::chrono::year_month_day date_;
  std::vector<int> offsets_;  // of each field within a record
  int recordLength_ = 1;
  std::string records_;       // posted records, back to back
  std::string current_;       // the record being filled
  bool appending_ = false;
};

}  // namespace pontexa::tables
