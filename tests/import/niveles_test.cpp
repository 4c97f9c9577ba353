// SOLUC as Mirvane may write it: other layouts, field names in lower case,
// deleted records. Each gives the same section as the plain table.

#include <gtest/gtest.h>

#include <functional>

#include "carpeta_mirvane.h"
#include "tables/dbf_fixture.h"

namespace pontexa::testing {
namespace {

const std::vector<Leccion> kLecciones = {
    {"1A", "PG", "MAT", "1", "1", "1", "A1"},
    {"1A", "LM", "LEN", "0", "0", "1", ""},
    {"2B", "LM", "LEN", "3", "2", "0.5", "A1"},
};

void Tablas(CarpetaMirvane& mirvane) {
  mirvane.Grupos({{"1A", "g1"}, {"2B", "g2"}});
  mirvane.Profesores({{"PG", "p1"}, {"LM", "p2"}});
  mirvane.Aulas({{"A1", "r1"}});
  mirvane.Asignaturas({{"MAT", "Matematicas", "s1"}, {"LEN", "Lengua", "s2"}});
}

std::string Referencia() {
  CarpetaMirvane mirvane;
  Tablas(mirvane);
  mirvane.Soluc(kLecciones);
  return mirvane.Importa();
}

TEST(ImportNiveles, CharacterFieldsAndLowerCaseNamesReadLikeNumericOnes) {
  const std::string referencia = Referencia();
  EXPECT_NE(referencia.find("interval=i3"), std::string::npos);
  for (const tables::TableLayout* layout : {&kSolucTexto, &kSolucMinusculas}) {
    CarpetaMirvane mirvane;
    Tablas(mirvane);
    std::vector<Leccion> lecciones = kLecciones;
    if (layout == &kSolucTexto) lecciones[2].sesiones = "0,5";  // the user's separator in a text
    mirvane.Soluc(lecciones, *layout);
    EXPECT_EQ(mirvane.Importa(), referencia) << layout->fields[0].name;
  }
}

TEST(ImportNiveles, DeletedRecordsAreNotThere) {
  CarpetaMirvane mirvane;
  Tablas(mirvane);
  std::vector<Leccion> lecciones = kLecciones;
  // A deleted placed row with a code nothing else uses: no input, no group.
  lecciones.insert(lecciones.begin(), Leccion{"9X", "PG", "NADA", "2", "1", "1", "A1"});
  mirvane.Grupos({{"9X", "g9"}, {"1A", "g1"}, {"2B", "g2"}});
  std::string bytes = BytesSoluc(lecciones);
  MarcarBorrado(bytes, 0);
  mirvane.SolucBytes(bytes);
  EXPECT_EQ(mirvane.Importa(), Referencia());
}

// The same lessons in the levels Mirvane may write, each with its own numeric
// types and a deleted record in the middle.
TEST(ImportNiveles, DBase3DBase7AndVisualFoxProGiveTheSameSection) {
  struct Numeros {
    std::string dia, hora, sesiones;
  };
  struct Nivel {
    const char* nombre;
    DbfFlavour sabor;
    std::vector<DbfFixtureField> numericos;
    std::function<Numeros(int, double, double)> celdas;
  };
  const std::vector<Nivel> niveles = {
      {"dBase III", DbfFlavour::DBase3, {{"DIA", 'N', 1}, {"HORA", 'N', 2}, {"SESIONES", 'N', 5, 2}},
       [](int d, double h, double s) {
         return Numeros{std::to_string(d), std::to_string(static_cast<int>(h)), s == 0.5 ? "0.50" : "1.00"};
       }},
      {"dBase 7", DbfFlavour::DBase7, {{"DIA", 'I', 4}, {"HORA", 'O', 8}, {"SESIONES", 'O', 8}},
       [](int d, double h, double s) { return Numeros{DBase7Int32(d), DBase7Double(h), DBase7Double(s)}; }},
      {"Visual FoxPro", DbfFlavour::VisualFoxPro, {{"DIA", 'I', 4}, {"HORA", 'B', 8, 2}, {"SESIONES", 'N', 5, 2}},
       [](int d, double h, double s) { return Numeros{Int32LE(d), DoubleLE(h), s == 0.5 ? "0.50" : "1.00"}; }},
  };
  const std::string referencia = Referencia();
  for (const Nivel& nivel : niveles) {
    DbfFixture soluc;
    soluc.flavour = nivel.sabor;
    soluc.fields = {{"CODGRUPO", 'C', 10}, {"PROF", 'C', 10}, {"ASIG", 'C', 10}};
    soluc.fields.insert(soluc.fields.end(), nivel.numericos.begin(), nivel.numericos.end());
    soluc.fields.push_back({"AULA", 'C', 10});
    const auto fila = [&](const Leccion& l, int d, double h, double s) {
      const Numeros n = nivel.celdas(d, h, s);
      return std::vector<std::string>{l.grupo, l.prof, l.asig, n.dia, n.hora, n.sesiones, l.aula};
    };
    soluc.rows = {fila(kLecciones[0], 1, 1, 1), fila({"9X", "PG", "NADA", "", "", "", "A1"}, 2, 1, 1),
                  fila(kLecciones[1], 0, 0, 1), fila(kLecciones[2], 3, 2, 0.5)};
    soluc.deleted = {false, true};
    CarpetaMirvane mirvane;
    Tablas(mirvane);
    soluc.WriteTo(mirvane.Carpeta() / "SOLUC.DBF");
    EXPECT_EQ(mirvane.Importa(), referencia) << nivel.nombre;
  }
}

}  // namespace
}  // namespace pontexa::testing
