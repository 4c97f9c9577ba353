#include "tables/table_replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/faults.h"
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

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
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

  const std::set<std::string> kBefore{"asignomt.dbf", "Asignomt.Mdx", "PROFT.DBF", "PROFT.MDX", "AULAT.DBF", "SOLUC.DBF"};
  const std::set<std::string> kAfter{"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "SOLUC.DBF"};
  TempFolder folder;
};

TEST_F(Replacement, CommitPutsEveryTableInPlace) {
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    EXPECT_EQ(replacement.StagingPath("PROFT"), folder / ".PROFT.DBF.pontexa-nuevo");
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

TEST_F(Replacement, FailurePastTheJournalIsFinishedNextTime) {
  {
    TableReplacement replacement(folder.Path());
    StageAll(replacement);
    faults::Scoped fault([](faults::Operation op, const std::string& path) {
      return op == faults::Operation::Rename && path.ends_with("PROFT.DBF");
    });
    try {
      replacement.Commit();
      FAIL();
    } catch (const TableError& error) {
      EXPECT_NE(std::string(error.what()).find("se completará la próxima vez"), std::string::npos) << error.what();
    }
  }
  // The staging files outlive the object: they are the tables now.
  EXPECT_TRUE(fs::exists(folder / "PONTEXA.DIARIO"));
  EXPECT_TRUE(fs::exists(folder / ".PROFT.DBF.pontexa-nuevo"));
  { TableReplacement next(folder.Path()); }
  EXPECT_EQ(Entries(folder.Path()), kAfter);
  ExpectMarks("nuevo");
}

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
