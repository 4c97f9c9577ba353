#include "tables/dbf_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <filesystem>
#include <string>

#include "support/temp_folder.h"
#include "tables/table.h"

namespace pontexa::tables {
namespace {

using testing::TempFolder;
using namespace std::chrono;

constexpr year_month_day kDate{year{2024}, month{5}, day{1}};

unsigned Byte(const std::string& bytes, std::size_t at) { return static_cast<unsigned char>(bytes.at(at)); }
unsigned LE16(const std::string& b, std::size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }

TEST(Layouts, AreTheSixTablesInExportOrder) {
  std::string names;
  for (const TableLayout* layout : ExportedLayouts()) names += std::string(layout->name) + " ";
  EXPECT_EQ(names, "ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST ");
  EXPECT_EQ(kAsigt.fields.size(), 10u);
  EXPECT_EQ(kAsigt.fields[8].name, "HORAS");
  EXPECT_EQ(kAsigt.fields[8].type, FieldType::Float);
  EXPECT_EQ(kAsignomt.fields[4].name, "HORAS");
  EXPECT_EQ(kAsignomt.fields[4].size, 8);
  EXPECT_EQ(kProft.fields[3].type, FieldType::Integer);
  EXPECT_EQ(kDiashorast.fields.back().name, "MINUTOS");
}

// The header of every layout: field names, types, sizes, in order.
TEST(DbfWriter, HeaderDescribesEachLayout) {
  for (const TableLayout* layout : ExportedLayouts()) {
    SCOPED_TRACE(std::string(layout->name));
    DbfWriter writer(*layout, kDate);
    const std::string bytes = writer.Bytes();
    const std::size_t n = layout->fields.size();
    EXPECT_EQ(Byte(bytes, 0), 0x03u);
    EXPECT_EQ(Byte(bytes, 1), 124u);
    EXPECT_EQ(Byte(bytes, 2), 5u);
    EXPECT_EQ(Byte(bytes, 3), 1u);
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
    EXPECT_EQ(LE16(bytes, 8), 32 + 32 * n + 1);
    EXPECT_EQ(Byte(bytes, 29), 0x57u);
    EXPECT_EQ(bytes.at(32 + 32 * n), '\x0D');
    EXPECT_EQ(bytes.size(), 32 + 32 * n + 1 + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    std::size_t record = 1;
    for (std::size_t i = 0; i < n; ++i) {
      const FieldDef& field = layout->fields[i];
      const std::string d = bytes.substr(32 + 32 * i, 32);
      EXPECT_EQ(d.substr(0, d.find('\0')), field.name);
      const unsigned length = Byte(d, 16), decimals = Byte(d, 17);
      switch (field.type) {
        case FieldType::String:
          EXPECT_EQ(d[11], 'C');
          EXPECT_EQ(length, static_cast<unsigned>(field.size));
          EXPECT_EQ(decimals, 0u);
          break;
        case FieldType::Integer:
          EXPECT_EQ(d[11], 'N');
          EXPECT_EQ(length, 11u);
          EXPECT_EQ(decimals, 0u);
          break;
        case FieldType::Float:
          EXPECT_EQ(d[11], 'N');
          EXPECT_EQ(length, 20u);
          EXPECT_EQ(decimals, 6u);
          break;
      }
      record += length;
    }
    EXPECT_EQ(LE16(bytes, 10), record);
  }
}

TEST(DbfWriter, RecordsAreLaidOutAsDBaseDoes) {
  DbfWriter writer(kAsigt, kDate);
  writer.Append();
  writer.SetString("casig", "MAT");
  writer.SetString("NIVEL", "BACHILLERATO");  // cut to 5
  writer.SetFloat("HORAS", 2.5);
  writer.SetString("SESIONES", "111");
  writer.Post();
  writer.Append();
  writer.SetFloat("HORAS", -1234567.0000004);
  writer.Post();
  writer.Append();  // HORAS never written: blanks
  writer.Post();
  EXPECT_EQ(writer.RecordCount(), 3u);
  const std::string bytes = writer.Bytes();
  EXPECT_EQ(Byte(bytes, 4), 3u);
  const std::size_t header = LE16(bytes, 8), length = LE16(bytes, 10);
  ASSERT_EQ(bytes.size(), header + 3 * length + 1);
  const std::string first = bytes.substr(header, length);
  EXPECT_EQ(first.substr(0, 11), " MAT       ");
  EXPECT_EQ(first.substr(1 + 40 + 1, 5), "BACHI");
  EXPECT_EQ(first.substr(1 + 40 + 1 + 5 + 3 + 2, 20), "            2.500000");
  const std::string second = bytes.substr(header + length, length);
  EXPECT_EQ(second.substr(52, 20), "     -1234567.000000");
  const std::string third = bytes.substr(header + 2 * length, length);
  EXPECT_EQ(third, std::string(length, ' '));
}

TEST(DbfWriter, NumbersAndTextsMeetTheirFields) {
  DbfWriter writer(kProft, kDate);
  writer.Append();
  writer.SetInteger("DNI", -2147483647 - 1);
  writer.SetInteger("ABREV", 42);
  writer.Post();
  writer.Append();
  writer.SetString("DNI", " 17 ");
  writer.SetFloat("NOMBRE", 2.5);
  writer.Post();
  const std::string bytes = writer.Bytes();
  const std::size_t header = LE16(bytes, 8), length = LE16(bytes, 10);
  EXPECT_EQ(bytes.substr(header + 1 + 130, 11), "-2147483648");
  EXPECT_EQ(bytes.substr(header + 1, 10), "42        ");
  EXPECT_EQ(bytes.substr(header + length + 1 + 130, 11), "         17");
  EXPECT_EQ(bytes.substr(header + length + 11, 3), "2.5");
}

TEST(DbfWriter, RejectsWhatCannotBeStored) {
  DbfWriter writer(kAsigt, kDate);
  EXPECT_THROW(writer.SetString("CASIG", "x"), TableError);  // no Append
  EXPECT_THROW(writer.Post(), TableError);
  writer.Append();
  try {
    writer.SetString("AULA", "x");
    FAIL();
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "Campo 'AULA' no encontrado en la tabla ASIGT");
  }
  EXPECT_THROW(writer.SetFloat("HORAS", 1e30), TableError);
  EXPECT_THROW(writer.SetFloat("HORAS", std::numeric_limits<double>::quiet_NaN()), TableError);
  EXPECT_THROW(writer.SetString("HORAS", "mucho"), TableError);
  writer.SetFloat("HORAS", 1e18);  // fits with fewer decimals
  writer.Post();
  EXPECT_EQ(writer.RecordCount(), 1u);
}

TEST(DbfWriter, ReadsBackThroughTheTable) {
  TempFolder folder;
  DbfWriter writer(kGrupost, kDate);
  writer.Append();
  writer.SetString("ABREV", "1A");
  writer.SetString("NIVEL", "ESO-BACH");
  writer.SetString("DESCRIP", "Primero \xC1");
  writer.Post();
  writer.WriteTo(folder / "GRUPOST.DBF");
  DbfWriter asigt(kAsigt, kDate);
  asigt.Append();
  asigt.SetFloat("HORAS", 2.5);
  asigt.Post();
  asigt.Append();
  asigt.Post();
  asigt.WriteTo(folder / "ASIGT.DBF");

  Table grupos(folder.Path(), "GRUPOST");
  grupos.Open();
  EXPECT_EQ(grupos.FieldByName("ABREV").AsString(), "1A");
  EXPECT_EQ(grupos.FieldByName("NIVEL").AsString(), "ESO-B");
  EXPECT_EQ(grupos.FieldByName("DESCRIP").AsString(), "Primero \xC1");
  EXPECT_TRUE(grupos.Locate("ABREV", "1A"));
  EXPECT_FALSE(grupos.Locate("ABREV", "1a"));

  Table asignaciones(folder.Path(), "ASIGT", text::RegionalSettings{','});
  asignaciones.Open();
  EXPECT_EQ(asignaciones.FieldByName("HORAS").AsString(), "2,5");
  asignaciones.Next();
  EXPECT_EQ(asignaciones.FieldByName("HORAS").AsFloat(), 0.0);
  EXPECT_EQ(asignaciones.FieldByName("HORAS").AsString(), "");
}

// Outside readers: python's dbfread and shapelib's dbfdump.

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  std::size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

void WriteSample(const std::filesystem::path& path) {
  DbfWriter writer(kAsigt, kDate);
  writer.Append();
  writer.SetString("CASIG", "MAT");
  writer.SetString("CPROF", "P\xD1O");  // Windows-1252 Ñ
  writer.SetFloat("HORAS", 2.5);
  writer.SetString("SESIONES", "111");
  writer.Post();
  writer.Append();
  writer.SetString("CASIG", "LEN");
  writer.Post();
  writer.WriteTo(path);
}

TEST(DbfWriter, PythonDbfreadReadsWhatWeWrite) {
#ifdef _WIN32
  GTEST_SKIP() << "the outside readers are Linux programs; scripts/windows.sh compares the Windows build's tables byte for byte with the Linux build's, which these readers check";
#endif
  if (RunCommand("/usr/bin/python3 -c 'import dbfread' 2>/dev/null && echo yes") != "yes\n")
    GTEST_SKIP() << "python3-dbfread not installed";
  TempFolder folder;
  WriteSample(folder / "ASIGT.DBF");
  const std::string script =
      "import dbfread,sys\n"
      "t=dbfread.DBF(sys.argv[1])\n"
      "print(t.date, len(t))\n"
      "for f in t.fields: print(f.name, f.type, f.length, f.decimal_count)\n"
      "for r in t: print(repr(r['CASIG']), repr(r['CPROF']), repr(r['HORAS']), repr(r['SESIONES']))\n";
  pontexa::testing::WriteBytes(folder / "read.py", script);
  const std::string out =
      RunCommand("/usr/bin/python3 '" + platform::Utf8(folder / "read.py") + "' '" + platform::Utf8(folder / "ASIGT.DBF") + "' 2>&1");
  EXPECT_EQ(out,
            "2024-05-01 2\n"
            "CASIG C 10 0\nCPROF C 10 0\nCGRUP C 10 0\nCAULA C 10 0\nTURNO C 1 0\nNIVEL C 5 0\n"
            "CURSO C 3 0\nGRUPO C 2 0\nHORAS N 20 6\nSESIONES C 20 0\n"
            "'MAT' 'PÑO' 2.5 '111'\n"
            "'LEN' '' None ''\n");
}

TEST(DbfWriter, ShapelibDbfdumpReadsWhatWeWrite) {
#ifdef _WIN32
  GTEST_SKIP() << "the outside readers are Linux programs; scripts/windows.sh compares the Windows build's tables byte for byte with the Linux build's, which these readers check";
#endif
  if (RunCommand("command -v dbfdump").empty()) GTEST_SKIP() << "shapelib's dbfdump not installed";
  TempFolder folder;
  WriteSample(folder / "ASIGT.DBF");
  const std::string out = RunCommand("dbfdump -h -m '" + platform::Utf8(folder / "ASIGT.DBF") + "' 2>&1");
  std::string expected;
  const char* const header[] = {"CASIG", "10", "CPROF", "10", "CGRUP", "10", "CAULA", "10", "TURNO", "1",
                                "NIVEL", "5", "CURSO", "3", "GRUPO", "2", "HORAS", "20", "SESIONES", "20"};
  for (int i = 0; i < 10; ++i)
    expected += "Field " + std::to_string(i) + ": Type=" + (i == 8 ? "N/Double" : "C/String") + ", Title=`" +
                header[2 * i] + "', Width=" + header[2 * i + 1] + ", Decimals=" + (i == 8 ? "6" : "0") + "\n";
  expected +=
      "\nRecord: 0\nCASIG: MAT       \nCPROF: P\xD1O       \nCGRUP: (NULL)    \nCAULA: (NULL)    \n"
      "TURNO: (NULL)\nNIVEL: (NULL)\nCURSO: (NULL)\nGRUPO: (NULL)\nHORAS:             2.500000\n"
      "SESIONES: 111                 \n"
      "\nRecord: 1\nCASIG: LEN       \nCPROF: (NULL)    \nCGRUP: (NULL)    \nCAULA: (NULL)    \n"
      "TURNO: (NULL)\nNIVEL: (NULL)\nCURSO: (NULL)\nGRUPO: (NULL)\nHORAS:               (NULL)\n"
      "SESIONES: (NULL)              \n\n";
  EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace pontexa::tables
