// Writes a district-size import case: the four tables of an export with
// `filas` rows each, a DIASHORAST of 5 days and 8 intervals, a SOLUC of
// `lecciones` rows and the SAGA file those tables came from.
//
//   pontexa_bench_import_generar CARPETA LECCIONES [FILAS]
//
// CARPETA/qorda gets the tables, CARPETA/saga.xml the SAGA file. The same
// arguments always give the same files.

#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tables/dbf_writer.h"
#include "tables/layouts.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;
using namespace pontexa;

namespace {

using tables::FieldDef;
using tables::FieldType;

// SOLUC as Mirvane writes it, with a field the import does not read.
constexpr std::array kSolucCampos{
    FieldDef{"CODGRUPO", FieldType::String, 10}, FieldDef{"PROF", FieldType::String, 10},
    FieldDef{"ASIG", FieldType::String, 10},     FieldDef{"DIA", FieldType::Integer, 0},
    FieldDef{"HORA", FieldType::Integer, 0},     FieldDef{"SESIONES", FieldType::Float, 0},
    FieldDef{"AULA", FieldType::String, 10},     FieldDef{"FIJADA", FieldType::String, 1},
};
const tables::TableLayout kSoluc{"SOLUC", kSolucCampos};

// A small fixed generator, so every run writes the same bytes.
struct Aleatorio {
  std::uint64_t estado = 0x9E3779B97F4A7C15ULL;
  std::uint64_t Siguiente() {
    estado ^= estado << 13;
    estado ^= estado >> 7;
    estado ^= estado << 17;
    return estado;
  }
  std::size_t Hasta(std::size_t n) { return static_cast<std::size_t>(Siguiente() % n); }
};

std::string Numero(std::size_t n) { return text::FormatInteger(static_cast<std::int64_t>(n)); }
std::string Codigo(char letra, std::size_t i) { return std::string(1, letra) + Numero(i); }
std::string IdSaga(std::size_t base, std::size_t i) { return Numero(base + i); }

void Codigos(const fs::path& carpeta, const tables::TableLayout& layout, char letra, std::size_t base,
             std::size_t filas) {
  tables::DbfWriter writer(layout);
  for (std::size_t i = 0; i < filas; ++i) {
    writer.Append();
    writer.SetString("ABREV", Codigo(letra, i));
    writer.SetString(layout.name == tables::kGrupost.name ? "DESCRIP" : "NOMBRE", "Nombre " + Numero(i));
    writer.SetString("IDSAGA", IdSaga(base, i));
    writer.Post();
  }
  writer.WriteTo(carpeta / (std::string(layout.name) + ".DBF"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "uso: " << argv[0] << " CARPETA LECCIONES [FILAS]\n";
    return 2;
  }
  const fs::path raiz = argv[1];
  const std::size_t lecciones = std::stoul(argv[2]);
  const std::size_t filas = argc > 3 ? std::stoul(argv[3]) : 10000;
  const fs::path carpeta = raiz / "qorda";
  fs::create_directories(carpeta);
  for (const char* tabla : {"GRUPOST", "PROFT", "AULAT", "ASIGNOMT", "DIASHORAST", "SOLUC"}) {
    fs::remove(carpeta / (std::string(tabla) + ".DBF"));
  }

  Codigos(carpeta, tables::kGrupost, 'G', 300000, filas);
  Codigos(carpeta, tables::kProft, 'P', 200000, filas);
  Codigos(carpeta, tables::kAulat, 'R', 400000, filas);
  {
    tables::DbfWriter writer(tables::kAsignomt);
    for (std::size_t i = 0; i < filas; ++i) {
      writer.Append();
      writer.SetString("COD", Codigo('S', i));
      writer.SetString("NOMBRE", "Asignatura " + Numero(i));
      writer.SetString("IDSAGA", IdSaga(100000, i));
      writer.Post();
    }
    writer.WriteTo(carpeta / "ASIGNOMT.DBF");
  }
  {
    tables::DbfWriter writer(tables::kDiashorast);
    const char* nombres[] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes"};
    for (int dia = 1; dia <= 5; ++dia) {
      for (int hora = 1; hora <= 8; ++hora) {
        writer.Append();
        writer.SetString("DIA", text::FormatInteger(dia));
        writer.SetString("TEXTODIA", nombres[dia - 1]);
        writer.SetString("HORA", text::FormatInteger(hora));
        writer.SetString("HORADESDE", text::FormatInteger(7 + hora) + ":00");
        writer.SetString("HORAHASTA", text::FormatInteger(7 + hora) + ":55");
        writer.Post();
      }
    }
    writer.WriteTo(carpeta / "DIASHORAST.DBF");
  }
  {
    Aleatorio azar;
    tables::DbfWriter writer(kSoluc);
    for (std::size_t i = 0; i < lecciones; ++i) {
      writer.Append();
      writer.SetString("CODGRUPO", Codigo('G', azar.Hasta(filas)));
      writer.SetString("PROF", Codigo('P', azar.Hasta(filas)));
      writer.SetString("ASIG", Codigo('S', azar.Hasta(filas)));
      const bool colocada = azar.Hasta(20) != 0;
      writer.SetInteger("DIA", colocada ? static_cast<std::int32_t>(1 + azar.Hasta(5)) : 0);
      writer.SetInteger("HORA", static_cast<std::int32_t>(1 + azar.Hasta(8)));
      writer.SetFloat("SESIONES", azar.Hasta(20) == 0 ? 0.5 : 1.0);
      writer.SetString("AULA", azar.Hasta(10) == 0 ? "" : Codigo('R', azar.Hasta(filas)));
      writer.SetString("FIJADA", "N");
      writer.Post();
    }
    writer.WriteTo(carpeta / "SOLUC.DBF");
  }

  // The SAGA file the tables were exported from.
  std::ofstream saga(raiz / "saga.xml", std::ios::binary | std::ios::trunc);
  saga << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document>\n  <subjects>\n";
  for (std::size_t i = 0; i < filas; ++i)
    saga << "    <subject id=\"" << IdSaga(100000, i) << "\" name=\"Asignatura " << i << "\" hours=\"3\"/>\n";
  saga << "  </subjects>\n  <teachers>\n";
  for (std::size_t i = 0; i < filas; ++i)
    saga << "    <teacher id=\"" << IdSaga(200000, i) << "\">Apellido " << i << ", Nombre</teacher>\n";
  saga << "  </teachers>\n  <locations>\n";
  for (std::size_t i = 0; i < filas; ++i) saga << "    <location id=\"" << IdSaga(400000, i) << "\">Aula " << i << "</location>\n";
  saga << "  </locations>\n  <groups>\n";
  for (std::size_t i = 0; i < filas; ++i) {
    saga << "    <group id=\"" << IdSaga(300000, i) << "\" regim=\"O\" name=\"1ESO" << char('A' + i % 6) << "\">Grupo " << i
         << "\n      <assigned-subjects><assigned-subject id=\"" << IdSaga(100000, i)
         << "\"><assigned-teachers><assigned-teacher id=\"" << IdSaga(200000, i)
         << "\"/></assigned-teachers></assigned-subject></assigned-subjects>\n    </group>\n";
  }
  saga << "  </groups>\n</document>\n";
  saga.close();
  if (!saga) {
    std::cerr << "no se pudo escribir " << pontexa::platform::Utf8(raiz / "saga.xml") << '\n';
    return 1;
  }
  std::cout << lecciones << " lecciones, " << filas << " filas por tabla en " << pontexa::platform::Utf8(raiz) << '\n';
  return 0;
}
