// Whatever fails during an export, the six tables of the folder stay exactly as
// they were: the new ones are built aside and put in place only when all six
// are complete.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "export/exportador.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "tables/table_replacement.h"
#include "tablas_leidas.h"

namespace pontexa::exportacion {
namespace {

namespace faults = platform::faults;
using prueba::Columna;
using prueba::Contenido;
using prueba::ExportarTexto;
using prueba::Saga;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::string_view kAnterior = R"(
  <subjects><subject id="S1" name="Antigua" hours="3"/></subjects>
  <teachers><teacher id="T1">Profesora Antigua</teacher></teachers>
  <locations><location id="L1">Aula Vieja</location></locations>
  <groups><group id="G1" regim="M" name="ESO 4D">Viejo
    <assigned-subjects><assigned-subject id="S1"><assigned-teachers><assigned-teacher id="T1"/></assigned-teachers></assigned-subject></assigned-subjects>
  </group></groups>)";

constexpr std::string_view kNueva = R"(
  <subjects><subject id="S1" name="Educación Física" hours="2"/><subject id="S2" name="Latín"/></subjects>
  <teachers><teacher id="T1">Lucía Fernández</teacher></teachers>
  <locations><location id="L1">Aula 1</location></locations>
  <groups><group id="G1" regim="T" name="ESO 1A">Nuevo
    <assigned-subjects>
      <assigned-subject id="S1"><assigned-teachers><assigned-teacher id="T1"/></assigned-teachers></assigned-subject>
      <assigned-subject id="S2"/>
    </assigned-subjects>
  </group></groups>)";

class TodoONadaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ExportarTexto(Saga(kAnterior), carpeta.Path());
    // Mirvane's own files and a leftover index must survive a failed export too.
    testing::WriteBytes(carpeta / "PROFT.MDX", "indice de Mirvane");
    testing::WriteBytes(carpeta / "SOLUC.DBF", "solucion");
    antes = Contenido(carpeta.Path());
  }

  // Runs the export of `xml` and expects it to fail with a message holding `mensaje`.
  void ExportarYFallar(std::string_view xml, std::string_view mensaje = "") {
    try {
      ExportarTexto(xml, carpeta.Path());
      ADD_FAILURE() << "the export did not fail";
    } catch (const pontexa::Error& error) {
      EXPECT_THAT(error.what(), HasSubstr(std::string(mensaje)));
    }
  }

  void EsperarSinCambios() {
    EXPECT_EQ(Contenido(carpeta.Path()), antes);
    EXPECT_THAT(Columna(carpeta.Path(), "ASIGNOMT", "COD"), ElementsAre("Antigu"));
  }

  testing::TempFolder carpeta;
  std::map<std::string, std::string> antes;
};

TEST_F(TodoONadaTest, LaExportacionCompletaReemplazaLasSeisTablas) {
  ExportarTexto(Saga(kNueva), carpeta.Path());
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGNOMT", "COD"), ElementsAre("EF", "Latín"));
  // The assignments are looked up in the tables of this run, not in the old ones.
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CASIG"), ElementsAre("EF", "Latín"));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CGRUP"), ElementsAre("ESO1A", "ESO1A"));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "SESIONES"), ElementsAre("11", "1111"));
  EXPECT_FALSE(std::filesystem::exists(carpeta / "PROFT.MDX"));
  EXPECT_EQ(testing::ReadBytes(carpeta / "SOLUC.DBF"), "solucion");
  // Nothing of the work is left beside the tables.
  std::set<std::string> nombres;
  for (const auto& [nombre, bytes] : Contenido(carpeta.Path())) nombres.insert(nombre);
  // (PONTEXA.BLOQUEO, the transfers' empty lock file, stays with the folder.)
  EXPECT_THAT(nombres, ElementsAre("ASIGNOMT.DBF", "ASIGT.DBF", "AULAT.DBF", "DIASHORAST.DBF", "GRUPOST.DBF",
                                   "PONTEXA.BLOQUEO", "PROFT.DBF", "SOLUC.DBF"));
}

struct Fallo {
  std::string nombre;
  faults::Operation operacion;
  std::string tabla;  // the table whose new file fails
};

class FalloDeArchivoTest : public TodoONadaTest, public ::testing::WithParamInterface<Fallo> {};

TEST_P(FalloDeArchivoTest, DejaLasTablasComoEstaban) {
  const Fallo& fallo = GetParam();
  bool alcanzado = false;
  {
    faults::Scoped averia([&](faults::Operation operacion, const std::string& ruta) {
      const std::string archivo = std::filesystem::path(ruta).filename().string();
      // The new table is written beside the old one under another name.
      const bool nueva = archivo.find(fallo.tabla + ".") != std::string::npos && archivo != fallo.tabla + ".DBF";
      if (operacion == fallo.operacion && nueva) alcanzado = true;
      return operacion == fallo.operacion && nueva;
    });
    ExportarYFallar(Saga(kNueva));
  }
  EXPECT_TRUE(alcanzado);
  EsperarSinCambios();
}

INSTANTIATE_TEST_SUITE_P(
    CadaTabla, FalloDeArchivoTest,
    ::testing::Values(Fallo{"EscribirAsignaturas", faults::Operation::Write, "ASIGNOMT"},
                      Fallo{"EscribirProfesores", faults::Operation::Write, "PROFT"},
                      Fallo{"EscribirAulas", faults::Operation::Write, "AULAT"},
                      Fallo{"EscribirGrupos", faults::Operation::Write, "GRUPOST"},
                      Fallo{"EscribirAsignaciones", faults::Operation::Write, "ASIGT"},
                      Fallo{"EscribirDiasHoras", faults::Operation::Write, "DIASHORAST"},
                      Fallo{"GuardarAsignaturas", faults::Operation::Sync, "ASIGNOMT"},
                      Fallo{"GuardarDiasHoras", faults::Operation::Sync, "DIASHORAST"},
                      Fallo{"ReleerGrupos", faults::Operation::Open, "GRUPOST"},
                      Fallo{"ReleerAsignaturas", faults::Operation::Open, "ASIGNOMT"}),
    [](const ::testing::TestParamInfo<Fallo>& info) { return info.param.nombre; });

TEST_F(TodoONadaTest, UnFalloAntesDeSustituirDejaLasTablasComoEstaban) {
  // The first rename of the switch records which tables are to be replaced.
  int renombrados = 0;
  {
    faults::Scoped averia([&](faults::Operation operacion, const std::string&) {
      return operacion == faults::Operation::Rename && ++renombrados == 1;
    });
    ExportarYFallar(Saga(kNueva));
  }
  EsperarSinCambios();
}

TEST_F(TodoONadaTest, UnFalloAMitadDeLaSustitucionDevuelveLasTablasAnteriores) {
  int renombrados = 0;
  {
    faults::Scoped averia([&](faults::Operation operacion, const std::string&) {
      return operacion == faults::Operation::Rename && ++renombrados == 3;
    });
    ExportarYFallar(Saga(kNueva), "quedan las anteriores");
  }
  // Never a mix, even before the next run: the old set is back at once.
  EsperarSinCambios();
}

TEST_F(TodoONadaTest, UnaSustitucionQueNoSePuedeDeshacerSeCompletaConLasTablasNuevas) {
  int renombrados = 0, diarios = 0;
  {
    faults::Scoped averia([&](faults::Operation operacion, const std::string& ruta) {
      if (operacion == faults::Operation::Write && ruta.find("PONTEXA.DIARIO") != std::string::npos)
        return ++diarios > 1;  // the journal that would undo the switch
      return operacion == faults::Operation::Rename && ++renombrados == 3;
    });
    ExportarYFallar(Saga(kNueva), "se completará");
  }
  // Never a mix: the next use of the folder finishes the switch to all six new tables.
  tables::RecoverInterruptedReplacement(carpeta.Path());
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGNOMT", "COD"), ElementsAre("EF", "Latín"));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CASIG"), ElementsAre("EF", "Latín"));
  EXPECT_THAT(Columna(carpeta.Path(), "GRUPOST", "ABREV"), ElementsAre("ESO1A"));
}

TEST_F(TodoONadaTest, UnaTablaEnUsoDejaLasTablasComoEstaban) {
  {
    std::optional<platform::FileLock> enUso = platform::FileLock::TryExclusive(carpeta / "GRUPOST.DBF");
    ASSERT_TRUE(enUso.has_value());
    ExportarYFallar(Saga(kNueva), "GRUPOST");
  }
  EsperarSinCambios();
}

TEST_F(TodoONadaTest, SinCarpetaNoSeEscribeNada) {
  EXPECT_THROW(ExportarTexto(Saga(kNueva), carpeta / "no-existe"), pontexa::Error);
  EXPECT_FALSE(std::filesystem::exists(carpeta / "no-existe"));
  EsperarSinCambios();
}

struct SinId {
  std::string nombre;
  std::string cuerpo;
  std::string mensaje;
};

class SinIdTest : public TodoONadaTest, public ::testing::WithParamInterface<SinId> {};

TEST_P(SinIdTest, ParaLaExportacionSenalandoElElemento) {
  ExportarYFallar(Saga(GetParam().cuerpo), GetParam().mensaje);
  EsperarSinCambios();
}

INSTANTIATE_TEST_SUITE_P(
    CadaElemento, SinIdTest,
    ::testing::Values(
        SinId{"Asignatura", "<subjects>\n<subject id=\"1\" name=\"A\"/>\n<subject name=\"B\"/>\n</subjects>",
              "Falta el atributo id en el elemento subject número 2 (línea 5 de 'prueba.xml')"},
        SinId{"Profesor", "<teachers>\n<teacher>Ana</teacher>\n</teachers>",
              "Falta el atributo id en el elemento teacher número 1 (línea 4"},
        SinId{"Aula", "<locations><location id=\"1\">A</location>\n<location ID=\"2\">B</location></locations>",
              "location número 2 (línea 4"},
        SinId{"Grupo", "<groups>\n\n<group regim=\"M\" name=\"ESO 1A\">x</group></groups>",
              "group número 1 (línea 5"},
        SinId{"AsignaturaAsignada",
              "<groups><group id=\"Gé\" regim=\"M\" name=\"ESO 1A\">x<assigned-subjects>\n"
              "<assigned-subject id=\"1\"/><assigned-subject/></assigned-subjects></group></groups>",
              "assigned-subject número 2 del grupo 'Gé' (línea 4"},
        SinId{"ProfesorAsignado",
              "<groups><group id=\"G1\" regim=\"M\" name=\"ESO 1A\">x<assigned-subjects>\n"
              "<assigned-subject id=\"S9\"><assigned-teachers><assigned-teacher id=\"T\"/>\n<assigned-teacher/>"
              "</assigned-teachers></assigned-subject></assigned-subjects></group></groups>",
              "assigned-teacher número 2 de la asignatura asignada 'S9' del grupo 'G1' (línea 5"}),
    [](const ::testing::TestParamInfo<SinId>& info) { return info.param.nombre; });

class HorasFueraDeRangoTest : public TodoONadaTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HorasFueraDeRangoTest, ParanLaExportacionNombrandoLaAsignatura) {
  ExportarYFallar(Saga("<subjects><subject id=\"S7\" name=\"Física\" hours=\"" + GetParam() +
                       "\"/></subjects><groups><group id=\"G1\" regim=\"M\" name=\"ESO 1A\">x"
                       "<assigned-subjects><assigned-subject id=\"S7\"/></assigned-subjects></group></groups>"),
                  "de la asignatura 'S7' (código 'Física'), asignada al grupo 'G1'");
  EsperarSinCambios();
}

INSTANTIATE_TEST_SUITE_P(Horas, HorasFueraDeRangoTest,
                         ::testing::Values("1E30", "-1E30", "1E999", "-1e999", "2.2E9", "-2.2e9", "22E8"));

TEST_F(TodoONadaTest, LasHorasDentroDelRangoSeExportan) {
  // HORAS of ASIGNOMT keeps 8 characters, so only an exponent reaches the limits.
  ExportarTexto(Saga("<subjects><subject id=\"S7\" name=\"Física\" hours=\"2.1E9\"/>"
                     "<subject id=\"S8\" name=\"Química\" hours=\"-2.1E9\"/>"
                     "<subject id=\"S9\" name=\"Latín\" hours=\"1E-999\"/></subjects>"
                     "<groups><group id=\"G1\" regim=\"M\" name=\"ESO 1A\">x<assigned-subjects>"
                     "<assigned-subject id=\"S7\"/><assigned-subject id=\"S8\"/><assigned-subject id=\"S9\"/>"
                     "</assigned-subjects></group></groups>"),
                carpeta.Path());
  // SESIONES keeps its 20 characters of '2099999987' and thirteen '1'.
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "SESIONES"), ElementsAre("2099999987" + std::string(10, '1'), "", ""));
}

}  // namespace
}  // namespace pontexa::exportacion
