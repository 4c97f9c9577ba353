#include "tables/table_replacement.h"

#include <algorithm>
#include <system_error>

#include "platform/error_context.h"
#include "platform/files.h"
#include "tables/exchange_folder.h"
#include "tables/table.h"
#include "text/cp1252.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;

namespace pontexa::tables {
namespace {

// Lists the tables of a replacement past its commit point; while it exists,
// the staging files it names are the tables' real content.
constexpr std::string_view kJournalName = "PONTEXA.DIARIO";
constexpr std::string_view kStagingPrefix = ".";
constexpr std::string_view kStagingSuffix = ".DBF.pontexa-nuevo";
// AtomicFile's temporaries of the journal, should a crash leave one behind.
constexpr std::string_view kJournalTemporaryPrefix = ".PONTEXA.DIARIO.pontexa.";

bool IsTableName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

fs::path StagingFile(const fs::path& folder, std::string_view table) {
  return folder / (std::string(kStagingPrefix) + std::string(table) + std::string(kStagingSuffix));
}

fs::path TargetFile(const fs::path& folder, std::string_view table) {
  return folder / (std::string(table) + ".DBF");
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Every entry of `folder` whose name is `fileName` in any letter case.
std::vector<fs::path> AllSpellings(const fs::path& folder, std::string_view fileName) {
  std::vector<fs::path> found;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return found;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    if (text::SameTextIgnoringCase(text::Utf8ToAnsi(platform::Utf8(it->path().filename())), fileName))
      found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Removes what would sit beside the new TABLE.DBF: the same name in another
// letter case and the index file in any case. Failures are ignored, as the
// old files are only in the way of readers that match names loosely.
void RemoveOldVariants(const fs::path& folder, std::string_view table) {
  const std::string exact = std::string(table) + ".DBF";
  for (const fs::path& other : AllSpellings(folder, exact)) {
    if (platform::Utf8(other.filename()) == exact) continue;
    std::error_code ignored;
    fs::remove(other, ignored);
  }
  for (const fs::path& index : AllSpellings(folder, std::string(table) + ".MDX")) {
    std::error_code ignored;
    fs::remove(index, ignored);
  }
}

void PutInPlace(const fs::path& folder, std::string_view table) {
  const fs::path staging = StagingFile(folder, table);
  std::error_code error;
  if (!fs::exists(staging, error)) {
    // Already moved before an interruption; only the neighbours may be left.
    RemoveOldVariants(folder, table);
    return;
  }
  RemoveOldVariants(folder, table);
  platform::RenameOver(staging, TargetFile(folder, table));  // the caller syncs the folder once
}

std::vector<std::string> ReadJournal(const fs::path& journal) {
  std::vector<std::string> tables;
  const std::string content = platform::ReadFile(journal);
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (IsTableName(line)) tables.push_back(line);  // anything else cannot be ours
    start = end + 1;
  }
  return tables;
}

void RemoveStrayFiles(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return;
  std::vector<fs::path> stray;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    const std::string name = platform::Utf8(it->path().filename());
    const bool staging = name.starts_with(kStagingPrefix) && EndsWith(name, kStagingSuffix);
    const bool journalTemporary = name.starts_with(kJournalTemporaryPrefix) && EndsWith(name, ".tmp");
    if (staging || journalTemporary) stray.push_back(it->path());
  }
  for (const fs::path& path : stray) {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
}

std::string UpperTableName(std::string_view tableName) {
  std::string name = text::AnsiUpperCase(tableName);
  if (EndsWith(name, ".DBF")) name.resize(name.size() - 4);
  return name;
}

}  // namespace

void RecoverInterruptedReplacement(const fs::path& folder) {
  const fs::path journal = folder / std::string(kJournalName);
  std::error_code error;
  if (fs::exists(journal, error)) {
    std::vector<std::string> tables;
    try {
      tables = ReadJournal(journal);
      for (const std::string& table : tables) PutInPlace(folder, table);
    } catch (const pontexa::Error& failure) {
      throw TableError("No se pudo completar la sustitución interrumpida de las tablas en '" + platform::Utf8(folder) +
                       "': " + failure.what());
    }
    platform::SyncFolder(folder);
    fs::remove(journal, error);
    platform::SyncFolder(folder);
  }
  RemoveStrayFiles(folder);
}

TableReplacement::TableReplacement(fs::path folder) : folder_(std::move(folder)) {
  std::error_code error;
  if (!fs::is_directory(folder_, error))
    throw TableError("No existe la carpeta de intercambio '" + platform::Utf8(folder_) + "'");
  RecoverInterruptedReplacement(folder_);
}

TableReplacement::~TableReplacement() {
  if (committed_) return;
  std::error_code error;
  // Past the commit point the staging files are the tables: the next
  // replacement puts them in place.
  if (fs::exists(folder_ / std::string(kJournalName), error)) return;
  for (const std::string& table : tables_) {
    std::error_code ignored;
    fs::remove(StagingFile(folder_, table), ignored);
  }
}

fs::path TableReplacement::StagingPath(std::string_view tableName) {
  const std::string name = UpperTableName(tableName);
  if (!IsTableName(name)) throw TableError("El nombre de tabla '" + text::AnsiToUtf8(tableName) + "' no es válido");
  if (std::find(tables_.begin(), tables_.end(), name) == tables_.end()) tables_.push_back(name);
  return StagingFile(folder_, name);
}

void TableReplacement::Commit() {
  if (committed_) return;
  for (const std::string& table : tables_) {
    std::error_code error;
    if (!fs::is_regular_file(StagingFile(folder_, table), error))
      throw TableError("No se ha escrito la nueva tabla " + table + " en '" + platform::Utf8(folder_) + "'");
  }
  // Nobody may have an old table open while it is replaced.
  std::vector<platform::FileLock> locks;
  for (const std::string& table : tables_) {
    for (const fs::path& existing : AllSpellings(folder_, table + ".DBF")) {
      std::optional<platform::FileLock> lock;
      try {
        lock = platform::FileLock::TryExclusive(existing);
      } catch (const pontexa::Error& error) {
        throw TableError(WithContext("No se puede abrir la tabla " + table, platform::Quoted(existing), error.what()));
      }
      if (!lock) throw TableError("La tabla " + table + " está en uso por otro programa");
      locks.push_back(std::move(*lock));
    }
  }

  const fs::path journal = folder_ / std::string(kJournalName);
  std::string listing;
  for (const std::string& table : tables_) listing += table + "\n";
  {
    platform::AtomicFile file(journal);
    file.Write(listing);
    file.Commit();  // the commit point
  }
  try {
    for (const std::string& table : tables_) PutInPlace(folder_, table);
  } catch (const pontexa::Error& error) {
    throw TableError("La sustitución de las tablas en '" + platform::Utf8(folder_) +
                     "' quedó a medias y se completará la próxima vez: " + error.what());
  }
  // Every rename is on disk before the journal that would redo them goes.
  platform::SyncFolder(folder_);
  std::error_code ignored;
  fs::remove(journal, ignored);
  platform::SyncFolder(folder_);
  committed_ = true;
}

}  // namespace pontexa::tables
