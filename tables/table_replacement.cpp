#include "tables/table_replacement.h"

#include <algorithm>
#include <random>
#include <system_error>

#include "platform/error_context.h"
#include "platform/files.h"
#include "platform/interrupts.h"
#include "platform/utf8_path.h"
#include "tables/exchange_folder.h"
#include "tables/table.h"
#include "text/cp1252.h"

namespace fs = std::filesystem;

namespace pontexa::tables {
namespace {

using Entry = TableReplacement::Entry;

// Names the files of a replacement past its commit point: while it exists,
// the staging files it names are the tables' real content, and the old
// tables set aside are kept until the switch is finished or undone.
constexpr std::string_view kJournalName = "PONTEXA.DIARIO";
constexpr std::string_view kJournalHeader = "PONTEXA-DIARIO 2";
constexpr std::string_view kForward = "SUSTITUIR";  // the switch goes on
constexpr std::string_view kBackward = "DESHACER";  // the old set is being put back
// ".ASIGNOMT.DBF" + one of these + "." + the run's token.
constexpr std::string_view kStagingMark = ".pontexa-nuevo";
constexpr std::string_view kAsideMark = ".pontexa-viejo";
// AtomicFile's temporaries of the journal, should a crash leave one behind.
constexpr std::string_view kJournalTemporaryPrefix = ".PONTEXA.DIARIO.pontexa.";

bool IsTableName(std::string_view name) {
  if (name.empty() || name.size() > 64) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string NewToken() {
  std::random_device device;
  std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token(16, '0');
  std::uint64_t bits = random();
  for (char& c : token) {
    c = kHex[bits & 15];
    bits >>= 4;
  }
  return token;
}

fs::path Beside(const fs::path& file, std::string_view mark, std::string_view token) {
  return file.parent_path() / platform::PathFromUtf8("." + platform::Utf8(file.filename()) + std::string(mark) + "." +
                                                    std::string(token));
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
  const fs::path wanted = folder / exact;
  for (const fs::path& other : AllSpellings(folder, exact)) {
    if (platform::Utf8(other.filename()) == exact) continue;
    std::error_code error;
    // Where names ignore case (Windows), the switch replaced the old file
    // under its old spelling: that is the new table, to be renamed, not removed.
    if (fs::equivalent(other, wanted, error)) {
      try {
        platform::RenameOver(other, wanted);
      } catch (const pontexa::Error&) {
        // Readers match the name without regard to case; only the spelling stays.
      }
      continue;
    }
    fs::remove(other, error);
  }
  for (const fs::path& index : AllSpellings(folder, std::string(table) + ".MDX")) {
    std::error_code ignored;
    fs::remove(index, ignored);
  }
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

// ---------------------------------------------------------------------------
// The journal

struct Journal {
  bool backward = false;
  bool legacy = false;  // written by an earlier version: it can only go forward
  std::vector<Entry> entries;
};

// Files in the exchange folder are written by name alone, so that the
// folder may be reached by another path next time (C:\QORDA under Wine and
// its Linux path); the targets of links, elsewhere, in full.
std::string JournalPath(const fs::path& folder, const fs::path& path) {
  if (path.parent_path() == folder) return platform::Utf8(path.filename());
  return platform::Utf8(path);
}

std::optional<fs::path> PathFromJournal(const fs::path& folder, std::string_view text) {
  const fs::path path = platform::PathFromUtf8(text);
  if (path.is_absolute()) return path;
  if (text.empty() || text.find_first_of("/\\") != std::string_view::npos || text == "." || text == "..")
    return std::nullopt;
  return folder / path;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

Journal ReadJournal(const fs::path& folder, const fs::path& file) {
  Journal journal;
  const std::string content = platform::ReadFile(file);
  std::vector<std::string> lines;
  for (std::string_view line : Split(content, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
  }
  if (lines.empty() || lines[0] != kJournalHeader) {
    // One table name a line: staging files of a fixed name, renamed over
    // the old tables.
    journal.legacy = true;
    for (const std::string& line : lines) {
      if (!IsTableName(line)) continue;  // anything else cannot be ours
      journal.entries.push_back({line, folder / ("." + line + ".DBF.pontexa-nuevo"), folder / (line + ".DBF"), {}, false});
    }
    return journal;
  }
  journal.backward = lines.size() > 1 && lines[1] == kBackward;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::vector<std::string_view> parts = Split(lines[i], '\t');
    if (parts.size() != 5 || !IsTableName(parts[0])) continue;
    const auto staging = PathFromJournal(folder, parts[1]);
    const auto destination = PathFromJournal(folder, parts[2]);
    const auto aside = PathFromJournal(folder, parts[3]);
    if (!staging || !destination || !aside) continue;
    journal.entries.push_back({std::string(parts[0]), *staging, *destination, *aside, parts[4] == "1"});
  }
  return journal;
}

void WriteJournal(const fs::path& folder, const std::vector<Entry>& entries, bool backward) {
  std::string text = std::string(kJournalHeader) + "\n" + std::string(backward ? kBackward : kForward) + "\n";
  for (const Entry& entry : entries) {
    text += entry.table + "\t" + JournalPath(folder, entry.staging) + "\t" + JournalPath(folder, entry.destination) +
            "\t" + JournalPath(folder, entry.aside) + "\t" + (entry.hadOld ? "1" : "0") + "\n";
  }
  platform::AtomicFile file(folder / std::string(kJournalName));
  file.Write(text);
  file.Commit();
}

void SyncFolders(const fs::path& folder, const std::vector<Entry>& entries) {
  platform::SyncFolder(folder);
  for (const Entry& entry : entries)
    if (entry.destination.parent_path() != folder) platform::SyncFolder(entry.destination.parent_path());
}

// ---------------------------------------------------------------------------
// The switch, each way

// One table: the old one kept aside (a second name, or moved there), then the
// new one renamed into place. Safe to repeat after an interruption.
void SwitchOne(const Entry& entry) {
  if (!Exists(entry.staging)) return;  // already in place
  if (entry.hadOld && Exists(entry.destination) && !Exists(entry.aside))
    platform::KeepAside(entry.destination, entry.aside);
  platform::RenameOver(entry.staging, entry.destination);
}

// One table back as it was. Safe to repeat after an interruption.
void UndoOne(const Entry& entry) {
  if (Exists(entry.staging)) {
    // Never switched: the old table is in place, or moved aside just now.
    if (Exists(entry.aside)) {
      if (Exists(entry.destination)) RemoveQuietly(entry.aside);  // a second name of the same file
      else platform::RenameOver(entry.aside, entry.destination);
    }
    RemoveQuietly(entry.staging);
    return;
  }
  if (Exists(entry.aside)) {
    platform::RenameOver(entry.aside, entry.destination);
  } else if (!entry.hadOld) {
    RemoveQuietly(entry.destination);  // there was no old table: the new one goes
  }
}

// Past the switch: the old tables and their neighbours go, then the journal.
void Finish(const fs::path& folder, const std::vector<Entry>& entries) {
  SyncFolders(folder, entries);
  for (const Entry& entry : entries) {
    RemoveQuietly(entry.aside);
    RemoveOldVariants(folder, entry.table);
  }
  RemoveQuietly(folder / std::string(kJournalName));
  platform::SyncFolder(folder);
}

// Puts the old set back: the journal first says so, so that a crash half-way
// goes on backwards. Throws when a table cannot be put back.
void Undo(const fs::path& folder, const std::vector<Entry>& entries) {
  WriteJournal(folder, entries, true);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) UndoOne(*it);
  SyncFolders(folder, entries);
  RemoveQuietly(folder / std::string(kJournalName));
  platform::SyncFolder(folder);
}

bool IsOurs(std::string_view name) {
  const auto marked = [&](std::string_view mark) {
    const std::size_t at = name.rfind(mark);
    return name.starts_with(".") && at != std::string_view::npos &&
           (at + mark.size() == name.size() || name[at + mark.size()] == '.');
  };
  return marked(kStagingMark) || marked(kAsideMark) ||
         (name.starts_with(kJournalTemporaryPrefix) && EndsWith(name, ".tmp"));
}

// Whether `name` is one of ours made for the file called `of`.
bool IsOursFor(std::string_view name, std::string_view of) {
  const std::string prefix = "." + std::string(of);
  return IsOurs(name) && name.starts_with(prefix) && name.size() > prefix.size() && name[prefix.size()] == '.';
}

// Staging files and old tables aside that no journal names are a dead run's:
// in the folder, and beside the files its tables link to.
std::vector<fs::path> StrayFiles(const fs::path& folder) {
  std::vector<fs::path> stray;
  std::vector<fs::path> linked;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return stray;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    if (IsOurs(platform::Utf8(it->path().filename()))) stray.push_back(it->path());
    std::error_code ignored;
    if (it->is_symlink(ignored)) {
      const fs::path target = platform::FinalTarget(it->path());
      if (target.parent_path() != folder) linked.push_back(target);
    }
  }
  for (const fs::path& target : linked) {
    const std::string of = platform::Utf8(target.filename());
    fs::directory_iterator beside(target.parent_path(), error);
    if (error) continue;
    for (const fs::directory_iterator end; beside != end; beside.increment(error)) {
      if (error) break;
      if (IsOursFor(platform::Utf8(beside->path().filename()), of)) stray.push_back(beside->path());
    }
  }
  return stray;
}

std::string UpperTableName(std::string_view tableName) {
  std::string name = text::AnsiUpperCase(tableName);
  if (EndsWith(name, ".DBF")) name.resize(name.size() - 4);
  return name;
}

std::string Named(const fs::path& folder) { return platform::Quoted(folder); }

}  // namespace

bool InterruptedReplacementPending(const fs::path& folder) {
  return Exists(folder / std::string(kJournalName)) || !StrayFiles(folder).empty();
}

void RecoverInterruptedReplacement(const fs::path& folder) {
  const fs::path journalFile = folder / std::string(kJournalName);
  if (Exists(journalFile)) {
    Journal journal;
    try {
      journal = ReadJournal(folder, journalFile);
    } catch (const pontexa::Error& failure) {
      throw TableError("No se pudo completar la sustitución interrumpida de las tablas en " + Named(folder) + ": " +
                       failure.what());
    }
    platform::InterruptsDeferred deferred;
    std::string forwardFailure;
    if (!journal.backward) {
      try {
        for (const Entry& entry : journal.entries) SwitchOne(entry);
        Finish(folder, journal.entries);
      } catch (const pontexa::Error& failure) {
        forwardFailure = failure.what();
        if (journal.legacy)
          throw TableError("No se pudo completar la sustitución interrumpida de las tablas en " + Named(folder) +
                           ": " + forwardFailure);
      }
    }
    if (journal.backward || !forwardFailure.empty()) {
      try {
        Undo(folder, journal.entries);
      } catch (const pontexa::Error& failure) {
        throw TableError("No se pudo completar ni deshacer la sustitución interrumpida de las tablas en " +
                         Named(folder) + ": " + failure.what());
      }
    }
  }
  for (const fs::path& path : StrayFiles(folder)) RemoveQuietly(path);
}

TableReplacement::TableReplacement(fs::path folder) : folder_(std::move(folder)), token_(NewToken()) {
  std::error_code error;
  if (!fs::is_directory(folder_, error))
    throw TableError("No existe la carpeta de intercambio '" + platform::Utf8(folder_) + "'");
  RecoverInterruptedReplacement(folder_);
}

TableReplacement::~TableReplacement() {
  if (committed_) return;
  // Past the commit point the staging files are the tables: the next
  // replacement puts them in place.
  if (Exists(folder_ / std::string(kJournalName))) return;
  for (const Entry& entry : entries_) RemoveQuietly(entry.staging);
}

fs::path TableReplacement::StagingPath(std::string_view tableName) {
  const std::string name = UpperTableName(tableName);
  if (!IsTableName(name)) throw TableError("El nombre de tabla '" + text::AnsiToUtf8(tableName) + "' no es válido");
  const auto known = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.table == name; });
  if (known != entries_.end()) return known->staging;
  Entry entry;
  entry.table = name;
  // A link keeps pointing where it did: the file it names is replaced.
  entry.destination = platform::FinalTarget(folder_ / (name + ".DBF"));
  entry.staging = Beside(entry.destination, kStagingMark, token_);
  entry.aside = Beside(entry.destination, kAsideMark, token_);
  onInterrupt_.push_back(std::make_unique<platform::RemovedOnInterrupt>(entry.staging));
  entries_.push_back(std::move(entry));
  return entries_.back().staging;
}

void TableReplacement::Commit() {
  if (committed_) return;
  for (const Entry& entry : entries_) {
    std::error_code error;
    if (!fs::is_regular_file(entry.staging, error))
      throw TableError("No se ha escrito la nueva tabla " + entry.table + " en '" + platform::Utf8(folder_) + "'");
  }
  // Nothing is changed before every old table is known to be replaceable:
  // not held by another program, not read-only, not a folder.
  std::vector<platform::FileLock> locks;
  for (Entry& entry : entries_) {
    std::vector<fs::path> olds = AllSpellings(folder_, entry.table + ".DBF");
    if (entry.destination.parent_path() != folder_ && Exists(entry.destination)) olds.push_back(entry.destination);
    std::vector<fs::path> reals;
    for (const fs::path& existing : olds) {
      const fs::path real = platform::FinalTarget(existing);
      if (std::find(reals.begin(), reals.end(), real) != reals.end()) continue;  // a link and what it names
      reals.push_back(real);
      try {
        platform::RequireReplaceable(real);
      } catch (const platform::FileInUseError&) {
        throw TableError("La tabla " + entry.table + " está en uso por otro programa");
      } catch (const pontexa::Error& error) {
        throw TableError("No se puede sustituir la tabla " + entry.table + ": " + error.what());
      }
      std::optional<platform::FileLock> lock;
      try {
        lock = platform::FileLock::TryExclusive(real);
      } catch (const pontexa::Error& error) {
        throw TableError(WithContext("No se puede abrir la tabla " + entry.table, platform::Quoted(real), error.what()));
      }
      if (!lock) throw TableError("La tabla " + entry.table + " está en uso por otro programa");
      locks.push_back(std::move(*lock));
    }
    entry.hadOld = Exists(entry.destination);
  }
#ifdef _WIN32
  // Windows refuses to rename a file that is open, our own lock included.
  locks.clear();
#endif

  // From the journal on, a signal waits for the switch to end one way or the other.
  platform::InterruptsDeferred deferred;
  WriteJournal(folder_, entries_, false);  // the commit point
  onInterrupt_.clear();  // the staging files are the tables now
  std::size_t switched = 0;
  try {
    for (; switched < entries_.size(); ++switched) SwitchOne(entries_[switched]);
  } catch (const pontexa::Error& failure) {
    const std::string cause = failure.what();
    try {
      Undo(folder_, entries_);
    } catch (const pontexa::Error& undoFailure) {
      throw TableError("La sustitución de las tablas en '" + platform::Utf8(folder_) +
                       "' quedó a medias y se completará la próxima vez: " + cause + "; " + undoFailure.what());
    }
    committed_ = true;  // nothing of ours is left to remove
    throw TableError("No se pudieron sustituir las tablas en '" + platform::Utf8(folder_) +
                     "'; quedan las anteriores: " + cause);
  }
  // Every rename is on disk before the journal that would redo them goes.
  Finish(folder_, entries_);
  committed_ = true;
}

}  // namespace pontexa::tables
