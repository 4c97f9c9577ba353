// Inputs the fuzz targets turned up, each cut down to the bytes that matter.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/temp_folder.h"
#include "tables/dbf_fixture.h"
#include "tables/table.h"

namespace pontexa {
namespace {

using testing::DbfFixture;
using testing::DbfFlavour;
using testing::TempFolder;

// A Visual FoxPro double may hold any bit pattern; converting NaN or a
// value beyond 32 bits to an integer was undefined behaviour.
TEST(FuzzRegresiones, DobleNoRepresentableComoEnteroDaErrorClaro) {
  struct Caso {
    const char* nombre;
    double valor;
  };
  const Caso casos[] = {
      {"NaN", std::numeric_limits<double>::quiet_NaN()},
      {"infinito", std::numeric_limits<double>::infinity()},
      {"menos infinito", -std::numeric_limits<double>::infinity()},
      {"enorme", 1e300},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    TempFolder carpeta;
    DbfFixture soluc;
    soluc.flavour = DbfFlavour::VisualFoxPro;
    soluc.fields = {{"HORA", 'B', 8, 2}};
    soluc.rows = {{testing::DoubleLE(caso.valor)}};
    soluc.WriteTo(carpeta / "SOLUC.DBF");

    tables::Table tabla(carpeta.Path(), "SOLUC", text::RegionalSettings{','});
    tabla.Open();
    tabla.First();
    ASSERT_FALSE(tabla.Eof());
    const tables::Field hora = tabla.FieldByName("HORA");
    EXPECT_THROW((void)hora.AsInteger(), tables::TableError);
    EXPECT_NO_THROW((void)hora.AsString());
    const double leido = hora.AsFloat();
    EXPECT_TRUE(std::isnan(caso.valor) ? std::isnan(leido) : leido == caso.valor);
  }
}

}  // namespace
}  // namespace pontexa
