#include "tables/table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <chrono>

#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include "tables/dbf_fixture.h"

namespace pontexa::tables {
namespace {

using testing::DbfFixture;
using testing::TempFolder;

class TableOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    DbfFixture grupos;
    grupos.fields = {{"ABREV", 'C', 10}, {"IDSAGA", 'C', 20}};
    grupos.rows = {{"1A", "g-1"}, {"1B", "g-2"}, {"1A", "g-3"}, {"", "g-4"}, {"1a", "g-5"}};
    grupos.WriteTo(folder / "Grupost.Dbf");
  }
  TempFolder folder;
};

TEST_F(TableOperations, WalkMeetsRecordsInFileOrder) {
  Table table(folder.Path(), "GRUPOST");
  EXPECT_FALSE(table.Active());
  EXPECT_TRUE(table.Eof());
  table.Open();
  EXPECT_TRUE(table.Active());
  EXPECT_FALSE(table.Eof());  // on the first record at once
  std::string ids;
  for (table.First(); !table.Eof(); table.Next()) ids += table.FieldByName("idsaga").AsString() + ";";
  EXPECT_EQ(ids, "g-1;g-2;g-3;g-4;g-5;");
  table.Next();  // past the end stays at the end
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.FieldByName("ABREV").Name(), "ABREV");
}

TEST_F(TableOperations, OpeningAnOpenTableKeepsItsRecord) {
  Table table(folder.Path(), "GRUPOST");
  table.Open();
  table.Next();
  table.Next();
  table.Open();
  EXPECT_EQ(table.FieldByName("IDSAGA").AsString(), "g-3");
  table.Close();
  table.Close();
  EXPECT_FALSE(table.Active());
  EXPECT_THROW(table.First(), TableError);
  table.Open();
  EXPECT_EQ(table.FieldByName("IDSAGA").AsString(), "g-1");
}

TEST_F(TableOperations, LocateIsTheFirstExactMatch) {
  Table table(folder.Path(), "GRUPOST");
  table.Open();
  struct Case {
    std::string key;
    bool found;
    std::string id;
  };
  const Case cases[] = {{"1A", true, "g-1"}, {"1a", true, "g-5"}, {" 1A", false, ""}, {"1A ", false, ""},
                        {"", true, "g-4"},   {"1B", true, "g-2"}, {"9Z", false, ""}};
  for (int round = 0; round < 2; ++round) {  // the second round is served by the index
    for (const Case& c : cases) {
      SCOPED_TRACE("'" + c.key + "'");
      EXPECT_EQ(table.Locate("ABREV", c.key), c.found);
      EXPECT_EQ(table.Eof(), !c.found);
      if (c.found) {
        EXPECT_EQ(table.FieldByName("IDSAGA").AsString(), c.id);
      }
    }
  }
  // The walk goes on from the match.
  ASSERT_TRUE(table.Locate("ABREV", "1B"));
  table.Next();
  EXPECT_EQ(table.FieldByName("IDSAGA").AsString(), "g-3");
}

TEST_F(TableOperations, LocateOnAnEmptyTableFindsNothing) {
  DbfFixture empty;
  empty.fields = {{"ABREV", 'C', 10}};
  empty.WriteTo(folder / "AULAT.DBF");
  Table table(folder.Path(), "AULAT");
  table.Open();
  EXPECT_TRUE(table.Eof());
  table.First();
  EXPECT_TRUE(table.Eof());
  EXPECT_FALSE(table.Locate("ABREV", ""));
  EXPECT_EQ(table.FieldByName("ABREV").AsString(), "");
}

TEST_F(TableOperations, LocateOverABrokenValueRaisesOnlyWhereTheWalkWould) {
  DbfFixture soluc;
  soluc.fields = {{"DIA", 'N', 2}};
  soluc.rows = {{"1"}, {"2"}, {"x"}, {"4"}};
  soluc.WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC");
  table.Open();
  EXPECT_TRUE(table.Locate("DIA", "2"));
  EXPECT_THROW(table.Locate("DIA", "4"), TableError);
  EXPECT_TRUE(table.Locate("DIA", "1"));
}

TEST_F(TableOperations, MissingFieldAndTableAreNamed) {
  Table table(folder.Path(), "GRUPOST");
  table.Open();
  try {
    table.FieldByName("AULA");
    FAIL();
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "Campo 'AULA' no encontrado en la tabla GRUPOST");
  }
  EXPECT_THROW(table.Locate("AULA", "x"), TableError);
  EXPECT_FALSE(table.HasField("AULA"));
  EXPECT_TRUE(table.HasField("abrev"));

  Table missing(folder.Path(), "SOLUC");
  try {
    missing.Open();
    FAIL();
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()),
              "No existe la tabla SOLUC en la carpeta '" + folder.Path().string() + "'");
  }
}

TEST_F(TableOperations, SetFileReadsAnotherFile) {
  DbfFixture other;
  other.fields = {{"ABREV", 'C', 10}};
  other.rows = {{"Z9"}};
  other.WriteTo(folder / ".GRUPOST.DBF.nuevo");
  Table table(folder.Path(), "GRUPOST");
  table.SetFile(folder / ".GRUPOST.DBF.nuevo");
  table.Open();
  EXPECT_EQ(table.FieldByName("ABREV").AsString(), "Z9");
}

TEST_F(TableOperations, TwoOpenTablesOnOneFileExcludeEachOther) {
  Table first(folder.Path(), "GRUPOST");
  Table second(folder.Path(), "grupost");
  first.Open();
  try {
    second.Open();
    FAIL();
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "La tabla grupost está en uso por otro programa");
  }
  first.Close();
  second.Open();
  EXPECT_TRUE(second.Active());
}

#ifndef _WIN32
// Another program (here a Python child holding flock) has the table open.
TEST_F(TableOperations, TableHeldByAnotherProgramDoesNotOpen) {
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  const std::string path = platform::Utf8(folder / "Grupost.Dbf");
  const std::string command =
      "/usr/bin/python3 -c \"import fcntl,sys; f=open(sys.argv[1],'rb'); fcntl.flock(f, fcntl.LOCK_EX); "
      "print('ok', flush=True); sys.stdin.read()\" '" + path + "'";
  FILE* child = popen(command.c_str(), "w");
  ASSERT_NE(child, nullptr);
  // The child says nothing we can read through a write pipe; wait for the lock instead.
  Table table(folder.Path(), "GRUPOST");
  bool held = false;
  for (int attempt = 0; attempt < 200 && !held; ++attempt) {
    try {
      table.Open();
      table.Close();
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    } catch (const TableError& error) {
      held = true;
      EXPECT_STREQ(error.what(), "La tabla GRUPOST está en uso por otro programa");
    }
  }
  pclose(child);  // closes the child's stdin: it ends and lets go
  EXPECT_TRUE(held);
  table.Open();
  EXPECT_TRUE(table.Active());
}
#else
// A program that opens the table without sharing (as a spreadsheet does).
// Sharing modes belong to each handle, not to a process: a handle of this
// process meets the same refusal another program's would.
TEST_F(TableOperations, TableHeldOpenWithoutSharingDoesNotOpen) {
  HANDLE other = CreateFileW((folder / "Grupost.Dbf").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  Table table(folder.Path(), "GRUPOST");
  try {
    table.Open();
    ADD_FAILURE() << "opened a table held without sharing";
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "La tabla GRUPOST está en uso por otro programa");
  }
  CloseHandle(other);
  table.Open();
  EXPECT_TRUE(table.Active());
}
#endif

}  // namespace
}  // namespace pontexa::tables
