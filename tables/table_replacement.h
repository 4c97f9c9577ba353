#pragma once

// Replaces a set of tables in the exchange folder together: all of them or
// none. New tables are written aside (staging files in the same folder); only
// Commit() puts them in place, after taking the lock of every table it
// replaces. A journal makes the switch survive a crash: the next replacement
// (or RecoverInterruptedReplacement) finishes an interrupted one, so a reader
// never sees a mix of old and new tables.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontexa::tables {

class TableReplacement {
 public:
  // `folder` must exist (TableError otherwise). Finishes an interrupted
  // earlier replacement first.
  explicit TableReplacement(std::filesystem::path folder);
  // Removes every staging file when Commit() did not complete.
  ~TableReplacement();
  TableReplacement(const TableReplacement&) = delete;
  TableReplacement& operator=(const TableReplacement&) = delete;

  // Where to write the new table `tableName` ("ASIGNOMT"); registers it.
  std::filesystem::path StagingPath(std::string_view tableName);

  // Locks each table to be replaced (TableError naming the first one another
  // process holds), then replaces them: the new TABLE.DBF in upper case, any
  // differently-cased file of the same name and any .MDX beside it removed.
  void Commit();

  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::vector<std::string> tables_;
  bool committed_ = false;
};

// Finishes (or discards, when it never reached its commit point) a replacement
// that a crash interrupted. Safe to call at any time.
void RecoverInterruptedReplacement(const std::filesystem::path& folder);

}  // namespace pontexa::tables
