// Writes and lookups by a field taken once give what the same calls by name give.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "tables/dbf_fixture.h"
#include "tables/dbf_writer.h"
#include "tables/table.h"
#include "tables/text_index.h"

namespace pontexa::tables {
namespace {

using namespace std::chrono;

constexpr year_month_day kDate{year{2024}, month{5}, day{1}};

// One record of each kind of value, through the by-name or the by-position calls.
std::string Filled(bool byPosition) {
  DbfWriter writer(kAsigt, kDate);
  writer.Reserve(2);
  for (int record = 0; record < 2; ++record) {
    writer.Append();
    if (byPosition) {
      writer.SetString(writer.FieldIndex("casig"), "MATEMATICAS II");  // cut to 10
      writer.SetString(writer.FieldIndex("CPROF"), "AGF");
      writer.SetString(writer.FieldIndex("HORAS"), " 2,5 ");            // numeric from text
      writer.SetInteger(writer.FieldIndex("SESIONES"), 111);
      if (record == 1) writer.SetFloat(writer.FieldIndex("HORAS"), 1234.5);
    } else {
      writer.SetString("casig", "MATEMATICAS II");
      writer.SetString("CPROF", "AGF");
      writer.SetString("HORAS", " 2,5 ");
      writer.SetInteger("SESIONES", 111);
      if (record == 1) writer.SetFloat("HORAS", 1234.5);
    }
    writer.Post();
  }
  return writer.Bytes();
}

TEST(DbfWriterByPosition, WritesTheSameBytesAsByName) {
  EXPECT_EQ(Filled(true), Filled(false));
  DbfWriter writer(kProft, kDate);
  writer.Append();
  writer.SetInteger(writer.FieldIndex("DNI"), -42);
  writer.SetString(writer.FieldIndex("ABREV"), "");
  writer.Post();
  DbfWriter same(kProft, kDate);
  same.Append();
  same.SetInteger("DNI", -42);
  same.SetString("ABREV", "");
  same.Post();
  EXPECT_EQ(writer.Bytes(), same.Bytes());
}

TEST(DbfWriterByPosition, StreamedFileHoldsTheBytes) {
  testing::TempFolder folder;
  DbfWriter writer(kAsigt, kDate);
  for (int i = 0; i < 3; ++i) {
    writer.Append();
    writer.SetString(writer.FieldIndex("CGRUP"), "G" + std::to_string(i));
    writer.Post();
  }
  writer.WriteTo(folder / "ASIGT.DBF");
  EXPECT_EQ(testing::ReadBytes(folder / "ASIGT.DBF"), writer.Bytes());
}

// A table sent to its file as it is made: the same bytes as one kept whole,
// and a wrong number of records is refused rather than written.
TEST(DbfWriterStreamed, WritesTheBytesOfATableKeptWhole) {
  testing::TempFolder folder;
  constexpr std::size_t kRecords = 1500;  // several blocks
  DbfWriter whole(kAsigt, kDate);
  DbfWriter streamed(kAsigt, kDate);
  streamed.StreamTo(folder / "ASIGT.DBF", kRecords);
  for (std::size_t i = 0; i < kRecords; ++i) {
    for (DbfWriter* writer : {&whole, &streamed}) {
      writer->Append();
      writer->SetString(writer->FieldIndex("CGRUP"), "G" + std::to_string(i));
      writer->SetFloat(writer->FieldIndex("HORAS"), 0.5 * static_cast<double>(i));
      writer->Post();
    }
  }
  EXPECT_EQ(streamed.RecordCount(), kRecords);
  EXPECT_THROW((void)streamed.Bytes(), TableError);
  EXPECT_THROW(streamed.WriteTo(folder / "OTRA.DBF"), TableError);
  streamed.WriteTo(folder / "ASIGT.DBF");
  EXPECT_EQ(testing::ReadBytes(folder / "ASIGT.DBF"), whole.Bytes());
  EXPECT_FALSE(std::filesystem::exists(folder / "OTRA.DBF"));
}

TEST(DbfWriterStreamed, AnotherNumberOfRecordsThanAnnouncedIsAnError) {
  testing::TempFolder folder;
  {
    DbfWriter fewer(kGrupost, kDate);
    fewer.StreamTo(folder / "MENOS.DBF", 2);
    fewer.Append();
    fewer.Post();
    EXPECT_THROW(fewer.WriteTo(folder / "MENOS.DBF"), TableError);
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "MENOS.DBF"));  // never completed, so removed
  DbfWriter more(kGrupost, kDate);
  more.StreamTo(folder / "MAS.DBF", 1);
  more.Append();
  more.Post();
  more.Append();
  EXPECT_THROW(more.Post(), TableError);
  DbfWriter started(kGrupost, kDate);
  started.Append();
  EXPECT_THROW(started.StreamTo(folder / "TARDE.DBF", 1), TableError);
}

TEST(DbfWriterByPosition, UnknownNamesAndPositionsAndWritesOutsideARecordAreErrors) {
  DbfWriter writer(kAulat, kDate);
  EXPECT_THROW((void)writer.FieldIndex("NOPE"), TableError);
  writer.Append();
  EXPECT_THROW(writer.SetString(kAulat.fields.size(), "x"), TableError);
  EXPECT_THROW(writer.SetFloat(99, 1.0), TableError);
  writer.Post();
  EXPECT_THROW(writer.SetString(std::size_t{0}, "x"), TableError);
}

TEST(TableLocateByField, FindsWhatLocateByNameFinds) {
  testing::TempFolder folder;
  testing::DbfFixture grupos;
  grupos.fields = {{"ABREV", 'C', 10}, {"IDSAGA", 'C', 20}};
  grupos.rows = {{"1A", "g-1"}, {"1B", "g-2"}, {"1C", "g-1"}};
  grupos.WriteTo(folder / "GRUPOST.DBF");
  Table table(folder.Path(), "GRUPOST");
  table.Open();
  const Field id = table.FieldByName("IDSAGA");
  const Field abrev = table.FieldByName("ABREV");
  for (const std::string key : {"g-1", "g-2", "g-3", "", "G-1"}) {
    SCOPED_TRACE(key);
    const bool byName = table.Locate("IDSAGA", key);
    const std::string foundByName = byName ? abrev.AsString() : "";
    EXPECT_EQ(table.Locate(id, key), byName);
    EXPECT_EQ(table.Eof(), !byName);
    if (byName) {
      EXPECT_EQ(abrev.AsString(), foundByName);
    }
  }
  EXPECT_EQ(abrev.AsString(), "1C");  // a failed lookup stands on the last record

  Table other(folder.Path(), "GRUPOST");
  EXPECT_THROW(other.Locate(id, "g-1"), TableError);  // closed
  table.Close();
  other.Open();
  EXPECT_THROW(other.Locate(id, "g-1"), TableError);  // a field of another table
}

}  // namespace
}  // namespace pontexa::tables

namespace pontexa::tables {
namespace {

TEST(TextIndex, KeepsTheFirstPositionOfEachTextShortOrLong) {
  TextIndex index;  // starts small: every insertion below makes it grow
  const std::string longText(40, 'x');
  constexpr std::uint32_t kMany = 20000;
  for (std::uint32_t i = 0; i < kMany; ++i) EXPECT_TRUE(index.Insert("S" + std::to_string(i), i));
  EXPECT_TRUE(index.Insert("", kMany));
  EXPECT_TRUE(index.Insert(longText, kMany + 1));
  EXPECT_TRUE(index.Insert(longText + "y", kMany + 2));
  EXPECT_FALSE(index.Insert("S7", 99));  // a later record never replaces the first
  EXPECT_FALSE(index.Insert(longText, 99));
  EXPECT_EQ(index.Size(), kMany + 3);
  for (std::uint32_t i = 0; i < kMany; i += 997) EXPECT_EQ(index.Find("S" + std::to_string(i)), i);
  EXPECT_EQ(index.Find(""), kMany);
  EXPECT_EQ(index.Find(longText), kMany + 1);
  EXPECT_EQ(index.Find(longText + "y"), kMany + 2);
  for (const std::string& missing : std::vector<std::string>{"s7", "S7 ", "S", "S20000", std::string(15, 'x'),
                                                              std::string(41, 'x')})
    EXPECT_EQ(index.Find(missing), std::nullopt) << missing;
}

}  // namespace
}  // namespace pontexa::tables
