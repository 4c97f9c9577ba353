#pragma once

// Replaces a set of tables in the exchange folder together: all of them or
// none. New tables are written aside (staging files named for this run
// only); Commit() checks first that every old table can be replaced, then
// switches them, keeping each old table aside until all the new ones are in
// place, and puts the old set back at once if one switch fails. A journal
// makes the switch survive a crash: the next replacement (or
// RecoverInterruptedReplacement) rolls it forward, or back when forward is
// impossible, so a reader never sees a mix of old and new tables.
//
// The caller holds the exchange folder's TransferLock for the object's whole
// life: the journal and the cleanup of dead runs' files rely on being the
// only transfer in the folder.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontexa::platform {
class RemovedOnInterrupt;
}

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
  // When TABLE.DBF is a symbolic link, the staging file lies beside the file
  // it names, which is the one replaced; the link stays.
  std::filesystem::path StagingPath(std::string_view tableName);

  // Checks that each table can be replaced (TableError naming the first one
  // held by another process, read-only, a folder, immutable...), with
  // nothing changed, then replaces them: the new TABLE.DBF in upper case,
  // any differently-cased file of the same name and any .MDX beside it
  // removed once all are in place. A switch failing half-way puts the old
  // tables back and says so.
  void Commit();

  const std::filesystem::path& Folder() const { return folder_; }

  struct Entry {
    std::string table;
    std::filesystem::path staging, destination, aside;
    bool hadOld = false;  // the destination existed when the switch began
  };

 private:
  std::filesystem::path folder_;
  std::string token_;  // names this run's staging files
  std::vector<Entry> entries_;
  std::vector<std::unique_ptr<platform::RemovedOnInterrupt>> onInterrupt_;
  bool committed_ = false;
};

// Finishes (or discards, when it never reached its commit point; or undoes,
// when it cannot be finished) a replacement that a crash interrupted. Safe
// to call at any time by the holder of the folder's lock.
void RecoverInterruptedReplacement(const std::filesystem::path& folder);

// Whether RecoverInterruptedReplacement would find anything to do, asked
// without changing anything.
bool InterruptedReplacementPending(const std::filesystem::path& folder);

}  // namespace pontexa::tables
