// SOLUC as Mirvane may write it: other layouts, field names in lower case,
// deleted records. Each gives the same section as the plain table.

#include <gtest/gtest.h>

#include "carpeta_mirvane.h"

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

}  // namespace
}  // namespace pontexa::testing
