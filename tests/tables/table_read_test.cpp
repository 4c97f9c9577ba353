#include "tables/table.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/temp_folder.h"
#include "tables/dbf_fixture.h"

namespace pontexa::tables {
namespace {

using testing::DbfFixture;
using testing::DbfFlavour;
using testing::TempFolder;

const text::RegionalSettings kSpanish{','};
const text::RegionalSettings kEnglish{'.'};

// A SOLUC as Mirvane writes it, in any flavour.
DbfFixture Soluc(DbfFlavour flavour) {
  DbfFixture fixture;
  fixture.flavour = flavour;
  fixture.fields = {{"CODGRUPO", 'C', 10}, {"PROF", 'C', 10}, {"DIA", 'N', 2},
                    {"HORA", 'N', 5, 2}, {"SESIONES", 'N', 4, 1}, {"AULA", 'C', 8}};
  fixture.rows = {{"1A", "P01", "1", "3.00", "1.0", "A1"},
                  {"1B", "P02", "0", "", "", ""},
                  {"2A", "P01", "5", "2.50", "0.5", "LAB"}};
  return fixture;
}

std::vector<std::string> Column(Table& table, std::string_view field) {
  std::vector<std::string> values;
  for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName(field).AsString());
  return values;
}

class TableReading : public ::testing::TestWithParam<DbfFlavour> {
 protected:
  TempFolder folder;
};

TEST_P(TableReading, ReadsSolucInEveryFlavour) {
  Soluc(GetParam()).WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC", kSpanish);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 3u);
  EXPECT_EQ(Column(table, "CODGRUPO"), (std::vector<std::string>{"1A", "1B", "2A"}));
  EXPECT_EQ(Column(table, "HORA"), (std::vector<std::string>{"3", "", "2,5"}));
  EXPECT_EQ(Column(table, "aula"), (std::vector<std::string>{"A1", "", "LAB"}));
  table.First();
  table.Next();
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), 0);
  EXPECT_EQ(table.FieldByName("HORA").AsFloat(), 0.0);  // empty numeric
  table.Next();
  EXPECT_EQ(table.FieldByName("DIA").AsString(), "5");
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), 5);
  EXPECT_DOUBLE_EQ(table.FieldByName("SESIONES").AsFloat(), 0.5);
  EXPECT_EQ(table.RecordNumber(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Flavours, TableReading,
                         ::testing::Values(DbfFlavour::DBase3, DbfFlavour::DBase4, DbfFlavour::DBase7,
                                           DbfFlavour::FoxPro2, DbfFlavour::VisualFoxPro));

TEST(TableRead, BinaryFieldsOfDBase7) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.flavour = DbfFlavour::DBase7;
  fixture.fields = {{"DIA", 'I', 4}, {"HORA", 'O', 8}, {"ID", '+', 4}, {"CUANDO", '@', 8}, {"NOTA", 'M', 10}};
  fixture.rows = {{testing::DBase7Int32(3), testing::DBase7Double(2.5), testing::DBase7Int32(1),
                   testing::DBase7Timestamp(2460432.0 * 86400000.0 + 37815000.0), "         1"},
                  {"", "", testing::DBase7Int32(2), "", ""}};
  fixture.WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC", kSpanish);
  table.Open();
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), 3);
  EXPECT_EQ(table.FieldByName("HORA").AsString(), "2,5");
  EXPECT_EQ(table.FieldByName("ID").AsString(), "1");
  EXPECT_EQ(table.FieldByName("CUANDO").AsString(), "2024-05-01 10:30:15");
  EXPECT_EQ(table.FieldByName("NOTA").AsString(), "");
  table.Next();
  EXPECT_EQ(table.FieldByName("DIA").AsString(), "");
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), 0);
  EXPECT_EQ(table.FieldByName("HORA").AsFloat(), 0.0);
}

TEST(TableRead, VisualFoxProWithBacklinkNullFlagsAndBinaryNumbers) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.flavour = DbfFlavour::VisualFoxPro;
  fixture.fields = {{"ASIG", 'C', 6}, {"DIA", 'I', 4}, {"HORA", 'B', 8, 2}, {"PRECIO", 'Y', 8},
                    {"CUANDO", 'T', 8}, {"NOTA", 'M', 4}, {"_NullFlags", '0', 1}};
  fixture.rows = {{"MAT", testing::Int32LE(-2), testing::DoubleLE(3.25), testing::CurrencyLE(15000),
                   testing::FoxDateTime(2460432, 37815000), testing::Int32LE(7), "\x01"}};
  fixture.WriteTo(folder / "soluc.dbf");
  Table table(folder.Path(), "SOLUC", kEnglish);
  table.Open();
  EXPECT_EQ(table.FieldByName("ASIG").AsString(), "MAT");
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), -2);
  EXPECT_EQ(table.FieldByName("HORA").AsString(), "3.25");
  EXPECT_EQ(table.FieldByName("HORA").AsInteger(), 3);
  EXPECT_EQ(table.FieldByName("PRECIO").AsString(), "1.5");
  EXPECT_EQ(table.FieldByName("CUANDO").AsString(), "2024-05-01 10:30:15");
  EXPECT_EQ(table.FieldByName("NOTA").AsString(), "");
  EXPECT_FALSE(table.HasField("_NullFlags"));
  EXPECT_THROW(table.FieldByName("_NULLFLAGS"), TableError);
}

TEST(TableRead, DeletedRecordsAreNotPresented) {
  TempFolder folder;
  DbfFixture fixture = Soluc(DbfFlavour::DBase3);
  fixture.deleted = {true, false, true};
  fixture.WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 1u);
  EXPECT_EQ(Column(table, "CODGRUPO"), std::vector<std::string>{"1B"});
  table.First();
  EXPECT_EQ(table.RecordNumber(), 2u);  // counted in the file
  EXPECT_FALSE(table.Locate("CODGRUPO", "1A"));
}

TEST(TableRead, ConvertsDosCodePagesToAnsi) {
  struct Case {
    std::uint8_t driver;
    std::string stored;
    std::string ansi;
  };
  // "Ñandú", "Área" and a box-drawing character Windows-1252 lacks.
  const Case cases[] = {
      {0x01, "\xA5" "and\xA3", "\xD1" "and\xFA"},
      {0x02, "\xB5rea \xC4", "\xC1rea ?"},
      {0x01, "\xC4", "?"},
      {0x57, "\xD1" "and\xFA", "\xD1" "and\xFA"},
      {0x00, "\xC1rea", "\xC1rea"},
      {0x59, "\xC1rea", "\xC1rea"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    DbfFixture fixture;
    fixture.languageDriver = c.driver;
    fixture.fields = {{"NOMBRE", 'C', 10}};
    fixture.rows = {{c.stored}};
    fixture.WriteTo(folder / "AULAT.DBF");
    Table table(folder.Path(), "AULAT");
    table.Open();
    EXPECT_EQ(table.FieldByName("NOMBRE").AsString(), c.ansi) << "driver " << int(c.driver);
    EXPECT_TRUE(table.Locate("NOMBRE", c.ansi));
  }
}

TEST(TableRead, CharacterFieldsConvertWithTheUsersSeparator) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.fields = {{"DIA", 'C', 4}, {"HORA", 'C', 6}};
  fixture.rows = {{"3", "2,5"}, {"x", "2.5"}, {"", ""}};
  fixture.WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC", kSpanish);
  table.Open();
  EXPECT_EQ(table.FieldByName("DIA").AsInteger(), 3);
  EXPECT_DOUBLE_EQ(table.FieldByName("HORA").AsFloat(), 2.5);
  table.Next();
  try {
    table.FieldByName("DIA").AsInteger();
    FAIL();
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "SOLUC, campo DIA, registro 2: 'x' no es un valor entero válido");
  }
  try {
    table.FieldByName("HORA").AsFloat();
    FAIL();
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "SOLUC, campo HORA, registro 2: '2.5' no es un valor de coma flotante válido");
  }
  table.Next();
  // The empty text converts to nothing.
  EXPECT_THROW(table.FieldByName("DIA").AsInteger(), TableError);
  EXPECT_THROW(table.FieldByName("HORA").AsFloat(), TableError);
}

TEST(TableRead, FloatingFieldsRoundHalfToEven) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.fields = {{"V", 'N', 8, 2}};
  fixture.rows = {{"0.50"}, {"1.50"}, {"2.50"}, {"-2.50"}, {"2.51"}, {"-0.49"}};
  fixture.WriteTo(folder / "T.DBF");
  Table table(folder.Path(), "T");
  table.Open();
  std::vector<int> rounded;
  for (table.First(); !table.Eof(); table.Next()) rounded.push_back(table.FieldByName("V").AsInteger());
  EXPECT_EQ(rounded, (std::vector<int>{0, 2, 2, -2, 3, 0}));
}

TEST(TableRead, LargeNumbersKeepTheirKind) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.fields = {{"DNI", 'N', 11}, {"HORAS", 'N', 20, 6}, {"GRANDE", 'N', 20}};
  fixture.rows = {{"12345678", "1234567.125000", "9999999999"}, {"-2147483649", "1e20", ""}};
  fixture.WriteTo(folder / "T.DBF");
  Table table(folder.Path(), "T", kSpanish);
  table.Open();
  EXPECT_EQ(table.FieldByName("DNI").AsInteger(), 12345678);
  EXPECT_EQ(table.FieldByName("HORAS").AsString(), "1234567,125");
  EXPECT_EQ(table.FieldByName("GRANDE").AsString(), "9999999999");
  EXPECT_THROW(table.FieldByName("GRANDE").AsInteger(), TableError);  // outside 32 bits
  table.Next();
  EXPECT_THROW(table.FieldByName("DNI").AsInteger(), TableError);
  EXPECT_EQ(table.FieldByName("DNI").AsString(), "-2147483649");
}

TEST(TableRead, DatesAndLogicalsAsStored) {
  TempFolder folder;
  DbfFixture fixture;
  fixture.fields = {{"FECHA", 'D', 8}, {"ACTIVO", 'L', 1}};
  fixture.rows = {{"20240501", "T"}, {"", "?"}};
  fixture.WriteTo(folder / "T.DBF");
  Table table(folder.Path(), "T");
  table.Open();
  EXPECT_EQ(table.FieldByName("FECHA").AsString(), "20240501");
  EXPECT_EQ(table.FieldByName("ACTIVO").AsString(), "T");
  table.Next();
  EXPECT_EQ(table.FieldByName("FECHA").AsString(), "");
  EXPECT_EQ(table.FieldByName("ACTIVO").AsString(), "?");
}

TEST(TableRead, BrokenNumericValueNamesTableFieldAndRecord) {
  TempFolder folder;
  DbfFixture fixture = Soluc(DbfFlavour::DBase3);
  fixture.rows[1][2] = "x";
  fixture.WriteTo(folder / "SOLUC.DBF");
  Table table(folder.Path(), "SOLUC");
  table.Open();
  table.Next();
  for (auto read : {+[](const Field& f) { f.AsString(); }, +[](const Field& f) { f.AsInteger(); }}) {
    try {
      read(table.FieldByName("DIA"));
      FAIL();
    } catch (const TableError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("SOLUC, campo DIA, registro 2"), std::string::npos) << message;
      EXPECT_NE(message.find("'x'"), std::string::npos) << message;
    }
  }
}

TEST(TableRead, BrokenFileNamesTheTable) {
  TempFolder folder;
  DbfFixture fixture = Soluc(DbfFlavour::DBase3);
  const std::string bytes = fixture.Bytes();
  pontexa::testing::WriteBytes(folder / "SOLUC.DBF", bytes.substr(0, bytes.size() - 10));
  Table table(folder.Path(), "SOLUC");
  try {
    table.Open();
    FAIL();
  } catch (const TableError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("La tabla SOLUC"), std::string::npos) << message;
    EXPECT_NE(message.find("dañada"), std::string::npos) << message;
    EXPECT_NE(message.find("truncado"), std::string::npos) << message;
  }
  EXPECT_FALSE(table.Active());
}

}  // namespace
}  // namespace pontexa::tables

namespace pontexa::tables {
namespace {

// Damaged copies of real-looking tables: every one either opens and reads, or
// reports a TableError; none crashes or reads outside the file.
TEST(TableRead, DamagedFilesNeverCrash) {
  std::mt19937 random(12345);
  std::vector<std::string> originals;
  for (auto flavour : {DbfFlavour::DBase3, DbfFlavour::DBase7, DbfFlavour::VisualFoxPro}) {
    DbfFixture fixture = Soluc(flavour);
    if (flavour != DbfFlavour::DBase3) {
      fixture.fields.push_back({"N", 'I', 4});
      fixture.fields.push_back({"T", flavour == DbfFlavour::DBase7 ? '@' : 'T', 8});
      fixture.fields.push_back({"O", flavour == DbfFlavour::DBase7 ? 'O' : 'B', 8});
    }
    originals.push_back(fixture.Bytes());
  }
  TempFolder folder;
  int opened = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = originals[round % originals.size()];
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0: bytes[at] = static_cast<char>(random()); break;
        case 1: bytes.resize(at); break;
        default: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
      }
      if (bytes.empty()) break;
    }
    pontexa::testing::WriteBytes(folder / "SOLUC.DBF", bytes);
    Table table(folder.Path(), "SOLUC");
    try {
      table.Open();
      ++opened;
      for (table.First(); !table.Eof(); table.Next()) {
        for (const char* name : {"CODGRUPO", "PROF", "DIA", "HORA", "SESIONES", "AULA", "N", "T", "O"}) {
          if (!table.HasField(name)) continue;
          const Field field = table.FieldByName(name);
          try { field.AsString(); } catch (const TableError&) {}
          try { field.AsInteger(); } catch (const TableError&) {}
          try { field.AsFloat(); } catch (const TableError&) {}
        }
      }
      try { table.Locate("CODGRUPO", "2A"); } catch (const TableError&) {}
    } catch (const TableError&) {
    }
  }
  EXPECT_GT(opened, 100);  // the damage does not always hit the header
}

}  // namespace
}  // namespace pontexa::tables
