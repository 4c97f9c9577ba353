#include "tables/table_replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "platform/faults.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"
#include "tables/dbf_writer.h"
#include "tables/table.h"

namespace pontexa::tables {
namespace {

namespace fs = std::filesystem;
namespace faults = platform::faults;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A name as the folder tells it apart: where names ignore letter case
// (Windows), a table replaced under its old spelling is the same name.
std::string Spelling(std::string name) {
#ifdef _WIN32
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
#endif
  return name;
}

std::set<std::string> Spellings(std::initializer_list<std::string> names) {
  std::set<std::string> result;
  for (const std::string& name : names) result.insert(Spelling(name));
  return result;
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(Spelling(pontexa::platform::Utf8(entry.path().filename())));
  return names;
}

// The fault seam sees native paths: either separator ends a folder.
bool NamesFile(const std::string& path, const std::string& name) {
  return path.ends_with("/" + name) || path.ends_with("\\" + name);
}

// A table whose first ABREV/COD tells which export wrote it.
void WriteTable(const TableLayout& layout, const fs::path& path, std::string_view mark) {
  DbfWriter writer(layout);
  writer.Append();
  writer.SetString(layout.fields[0].name, mark);
  writer.Post();
  writer.WriteTo(path);
}

std::string MarkOf(const fs::path& folder, const std::string& table) {
  Table t(folder, table);
  t.Open();
  return t.FieldByName(t.Name() == "ASIGNOMT" ? "COD" : "ABREV").AsString();
}

class Replacement : public ::testing::Test {
 protected:
  void SetUp() override {
    // What an earlier export and Mirvane left: odd letter case and index files.
    WriteTable(kAsignomt, folder / "asignomt.dbf", "viejo");
    WriteBytes(folder / "Asignomt.Mdx", "index");
    WriteTable(kProft, folder / "PROFT.DBF", "viejo");
    WriteBytes(folder / "PROFT.MDX", "index");
    WriteTable(kAulat, folder / "AULAT.DBF", "viejo");
    WriteBytes(folder / "SOLUC.DBF", "de Mirvane");
  }

  // Stages new ASIGNOMT, PROFT and AULAT.
  void StageAll(TableReplacement& replacement) {
    WriteTable(kAsignomt, replacement.StagingPath("ASIGNOMT"), "nuevo");
    WriteTable(kProft, replacement.StagingPath("proft"), "nuevo");
    WriteTable(kAulat, replacement.StagingPath("AULAT.DBF"), "nuevo");
  }

  void ExpectMarks(const std::string& mark) {
    EXPECT_EQ(MarkOf(folder.Path(), "ASIGNOMT"), mark);
    EXPECT_EQ(MarkOf(folder.Path(), "PROFT"), mark);
    EXPECT_EQ(MarkOf(folder.Path(), "AULAT"), mark);
  }

  const std::set<std::string> kBefore =
      Spellings({"asignomt.dbf", "Asignomt.Mdx", "PROFT.DBF", "PROFT.MDX", "AULAT.DBF", "SOLUC.DBF"});
  const std::set<std::string> kAfter = Spellings({"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "SOLUC.DBF"});
  TempFolder folder;
};

TEST_F(Replacement, CommitPutsEveryTableInPlace) {
  const fs::path earlierRun = TableReplacement(folder.Path()).StagingPath("PROFT");
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    // Named for this run only, so that two runs never share a staging file.
    const fs::path staging = replacement.StagingPath("PROFT");
    EXPECT_EQ(staging.parent_path(), folder.Path());
    EXPECT_TRUE(staging.filename().string().starts_with(".PROFT.DBF.pontexa-nuevo.")) << staging;
    EXPECT_NE(earlierRun, staging);
    ExpectMarks("viejo");  // staged tables are not seen yet
    replacement.Commit();
  }
  EXPECT_EQ(Entries(folder.Path()), kAfter);
  ExpectMarks("nuevo");
  EXPECT_EQ(ReadBytes(folder / "SOLUC.DBF"), "de Mirvane");
}

TEST_F(Replacement, WithoutCommitNothingChanges) {
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
  }
  EXPECT_EQ(Entries(folder.Path()), kBefore);
  ExpectMarks("viejo");
}

TEST_F(Replacement, HeldTableStopsTheWholeCommit) {
  Table held(folder.Path(), "PROFT");
  held.Open();
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    try {
      replacement.Commit();
      FAIL();
    } catch (const TableError& error) {
      EXPECT_STREQ(error.what(), "La tabla PROFT está en uso por otro programa");
    }
  }
  held.Close();
  EXPECT_EQ(Entries(folder.Path()), kBefore);
  ExpectMarks("viejo");
}

TEST_F(Replacement, FailureBeforeTheJournalLeavesTheOldTables) {
  struct Case {
    const char* what;
    faults::Operation operation;
    std::string pathPart;
    bool duringStaging;
  };
  const Case cases[] = {
      {"disk full while writing a table", faults::Operation::Write, ".AULAT.DBF.pontexa-nuevo", true},
      {"flush of a table fails", faults::Operation::Sync, ".PROFT.DBF.pontexa-nuevo", true},
      {"disk full while writing the journal", faults::Operation::Write, "PONTEXA.DIARIO", false},
      {"journal cannot be renamed into place", faults::Operation::Rename, "PONTEXA.DIARIO", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      TableReplacement replacement(folder.Path());
      if (c.duringStaging) {
        faults::Scoped fault([&](faults::Operation op, const std::string& path) {
          return op == c.operation && path.find(c.pathPart) != std::string::npos;
        });
        EXPECT_THROW(StageAll(replacement), pontexa::Error);
      } else {
        StageAll(replacement);
        faults::Scoped fault([&](faults::Operation op, const std::string& path) {
          return op == c.operation && path.find(c.pathPart) != std::string::npos;
        });
        EXPECT_THROW(replacement.Commit(), pontexa::Error);
      }
    }
    EXPECT_EQ(Entries(folder.Path()), kBefore);
    ExpectMarks("viejo");
  }
}

// A rename failing after ASIGNOMT was switched: the old set goes back at
// once, while the cause lasts, and nothing of the run stays behind.
TEST_F(Replacement, SwitchFailingHalfWayPutsTheOldSetBack) {
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    faults::Scoped fault([](faults::Operation op, const std::string& path) {
      return op == faults::Operation::Rename && NamesFile(path, "PROFT.DBF");
    });
    try {
      replacement.Commit();
      FAIL();
    } catch (const TableError& error) {
      EXPECT_NE(std::string(error.what()).find("quedan las anteriores"), std::string::npos) << error.what();
    }
    EXPECT_EQ(Entries(folder.Path()), kBefore);
    ExpectMarks("viejo");
  }
  EXPECT_EQ(Entries(folder.Path()), kBefore);
  EXPECT_FALSE(InterruptedReplacementPending(folder.Path()));
}

// When even the journal that would undo the switch cannot be written, the
// switch is left to the next run, which finishes it.
TEST_F(Replacement, SwitchThatCannotBeUndoneIsFinishedNextTime) {
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    int journals = 0;
    faults::Scoped fault([&](faults::Operation op, const std::string& path) {
      if (op == faults::Operation::Write && path.find("PONTEXA.DIARIO") != std::string::npos) return ++journals > 1;
      return op == faults::Operation::Rename && NamesFile(path, "PROFT.DBF");
    });
    try {
      replacement.Commit();
      FAIL();
    } catch (const TableError& error) {
      EXPECT_NE(std::string(error.what()).find("se completará la próxima vez"), std::string::npos) << error.what();
    }
  }
  EXPECT_TRUE(fs::exists(folder / "PONTEXA.DIARIO"));
  EXPECT_TRUE(InterruptedReplacementPending(folder.Path()));
  { TableReplacement next(folder.Path()); }
  EXPECT_EQ(Entries(folder.Path()), kAfter);
  ExpectMarks("nuevo");
  EXPECT_FALSE(InterruptedReplacementPending(folder.Path()));
}

// A crash while the old set was being put back: the journal says so, and
// the recovery goes on backwards, never forwards into a mix.
TEST_F(Replacement, RecoveryGoesOnUndoingAnInterruptedUndo) {
  WriteTable(kProft, folder / ".PROFT.DBF.pontexa-viejo.0123456789abcdef", "viejo");
  WriteTable(kProft, folder / "PROFT.DBF", "nuevo");  // switched, not yet put back
  WriteTable(kAulat, folder / ".AULAT.DBF.pontexa-nuevo.0123456789abcdef", "nuevo");  // never switched
  WriteBytes(folder / "PONTEXA.DIARIO",
             "PONTEXA-DIARIO 2\nDESHACER\n"
             "PROFT\t.PROFT.DBF.pontexa-nuevo.0123456789abcdef\tPROFT.DBF\t.PROFT.DBF.pontexa-viejo.0123456789abcdef\t1\n"
             "AULAT\t.AULAT.DBF.pontexa-nuevo.0123456789abcdef\tAULAT.DBF\t.AULAT.DBF.pontexa-viejo.0123456789abcdef\t1\n");
  EXPECT_TRUE(InterruptedReplacementPending(folder.Path()));
  RecoverInterruptedReplacement(folder.Path());
  EXPECT_EQ(Entries(folder.Path()), kBefore);
  ExpectMarks("viejo");
}

// A crash in the middle of the switch, on a file system without hard links:
// PROFT moved aside and its new file not yet in place. Forward it goes.
TEST_F(Replacement, RecoveryFinishesASwitchCaughtBetweenItsTwoRenames) {
  fs::rename(folder / "PROFT.DBF", folder / ".PROFT.DBF.pontexa-viejo.0123456789abcdef");
  WriteTable(kProft, folder / ".PROFT.DBF.pontexa-nuevo.0123456789abcdef", "nuevo");
  WriteTable(kAulat, folder / ".AULAT.DBF.pontexa-nuevo.0123456789abcdef", "nuevo");
  WriteTable(kAsignomt, folder / ".ASIGNOMT.DBF.pontexa-nuevo.0123456789abcdef", "nuevo");
  WriteBytes(folder / "PONTEXA.DIARIO",
             "PONTEXA-DIARIO 2\nSUSTITUIR\n"
             "ASIGNOMT\t.ASIGNOMT.DBF.pontexa-nuevo.0123456789abcdef\tASIGNOMT.DBF\t.ASIGNOMT.DBF.pontexa-viejo.0123456789abcdef\t0\n"
             "PROFT\t.PROFT.DBF.pontexa-nuevo.0123456789abcdef\tPROFT.DBF\t.PROFT.DBF.pontexa-viejo.0123456789abcdef\t1\n"
             "AULAT\t.AULAT.DBF.pontexa-nuevo.0123456789abcdef\tAULAT.DBF\t.AULAT.DBF.pontexa-viejo.0123456789abcdef\t1\n");
  RecoverInterruptedReplacement(folder.Path());
  EXPECT_EQ(Entries(folder.Path()), kAfter);
  ExpectMarks("nuevo");
}

// The causes that would stop a switch half-way are found before anything
// changes, and the message names the table and the reason.
TEST_F(Replacement, UnreplaceableTargetStopsTheCommitBeforeAnyChange) {
  struct Case {
    const char* what;
    std::function<void()> make;
    std::function<void()> undo;
    const char* reason;
  };
  const fs::path aulat = folder / "AULAT.DBF";
  const std::string aulatBytes = ReadBytes(aulat);
  const Case cases[] = {
      {"a folder", [&] { fs::remove(aulat); fs::create_directory(aulat); },
       [&] { fs::remove(aulat); WriteBytes(aulat, aulatBytes); }, "es una carpeta"},
      {"read-only", [&] { fs::permissions(aulat, fs::perms::owner_read | fs::perms::group_read); },
       [&] { fs::permissions(aulat, fs::perms::owner_read | fs::perms::owner_write); }, "solo lectura"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    const std::set<std::string> before = Entries(folder.Path());
    {
      TableReplacement replacement(folder.Path());
      StageAll(replacement);
      try {
        replacement.Commit();
        FAIL();
      } catch (const TableError& error) {
        EXPECT_NE(std::string(error.what()).find("AULAT"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(Entries(folder.Path()), before);
    c.undo();
    ExpectMarks("viejo");
  }
}

#ifndef _WIN32  // symbolic links need privileges on Windows
// A table that is a link keeps its link; the file it names gets the new table.
TEST_F(Replacement, LinkedTableIsReplacedWhereItIs) {
  const fs::path elsewhere = folder / "real";
  fs::create_directory(elsewhere);
  fs::rename(folder / "AULAT.DBF", elsewhere / "aulas.dbf");
  fs::create_symlink("real/aulas.dbf", folder / "AULAT.DBF");
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    EXPECT_EQ(replacement.StagingPath("AULAT").parent_path(), elsewhere);
    replacement.Commit();
  }
  EXPECT_TRUE(fs::is_symlink(folder / "AULAT.DBF"));
  ExpectMarks("nuevo");
  EXPECT_EQ(Entries(elsewhere), Spellings({"aulas.dbf"}));

  // What a run killed while staging leaves beside the linked file goes too.
  fs::path staging;
  {
    TableReplacement killed(folder.Path());
    staging = killed.StagingPath("AULAT");
    WriteTable(kAulat, staging, "a medias");
    fs::copy_file(staging, folder / "keep");
  }
  fs::rename(folder / "keep", staging);
  WriteBytes(elsewhere / "notes.txt", "ajeno");
  RecoverInterruptedReplacement(folder.Path());
  EXPECT_EQ(Entries(elsewhere), Spellings({"aulas.dbf", "notes.txt"}));
}
#endif

TEST_F(Replacement, RecoveryRollsAnInterruptedCommitForward) {
  // A crash right after the journal: every staging file still aside.
  WriteTable(kAsignomt, folder / ".ASIGNOMT.DBF.pontexa-nuevo", "nuevo");
  WriteTable(kProft, folder / ".PROFT.DBF.pontexa-nuevo", "nuevo");
  WriteTable(kAulat, folder / "AULAT.DBF", "nuevo");  // this one had been moved already
  WriteBytes(folder / "PONTEXA.DIARIO", "ASIGNOMT\nPROFT\nAULAT\n../../etc/passwd\n");
  RecoverInterruptedReplacement(folder.Path());
  EXPECT_EQ(Entries(folder.Path()), kAfter);
  ExpectMarks("nuevo");
  RecoverInterruptedReplacement(folder.Path());  // nothing left to do
  EXPECT_EQ(Entries(folder.Path()), kAfter);
}

TEST_F(Replacement, RecoveryWithoutJournalDiscardsStagingFiles) {
  WriteTable(kProft, folder / ".PROFT.DBF.pontexa-nuevo", "nuevo");
  WriteBytes(folder / ".PONTEXA.DIARIO.pontexa.0123abcd.tmp", "ASIGNOMT\n");
  RecoverInterruptedReplacement(folder.Path());
  EXPECT_EQ(Entries(folder.Path()), kBefore);
  ExpectMarks("viejo");
}

TEST_F(Replacement, CommitNeedsEveryStagedTableWritten) {
  TableReplacement replacement(folder.Path());
  WriteTable(kAsignomt, replacement.StagingPath("ASIGNOMT"), "nuevo");
  replacement.StagingPath("PROFT");
  EXPECT_THROW(replacement.Commit(), TableError);
  ExpectMarks("viejo");
}

TEST(ReplacementFolder, MissingFolderIsNamed) {
  TempFolder folder;
  try {
    TableReplacement replacement(folder / "QORDA");
    FAIL();
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()), "No existe la carpeta de intercambio '" + (folder / "QORDA").string() + "'");
  }
  EXPECT_FALSE(fs::exists(folder / "QORDA"));
}

}  // namespace
}  // namespace pontexa::tables
