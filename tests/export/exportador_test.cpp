#include "export/exportador.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "tables/table.h"
#include "tablas_leidas.h"

namespace pontexa::exportacion {
namespace {

using prueba::Columna;
using prueba::ExportarTexto;
using prueba::LeerTabla;
using prueba::Registro;
using prueba::Saga;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lista = std::vector<std::string>;

class ExportarTest : public ::testing::Test {
 protected:
  testing::TempFolder carpeta;
};

TEST_F(ExportarTest, AsignaturasConSusCodigosYHoras) {
  ExportarTexto(Saga(R"(<subjects>
      <subject id=" 11 " name="  Educación Física " hours=" 2 "/>
      <subject name="Matemáticas" id="12"/>
      <subject id="13" name="Matemáticas" level="ESO"/>
      <subject id="14" name="Tecnología 4" hours="  "/>
      <subject id="15" name="Tecnología 4" hours="2.5"/>
      <subject id="16" name="ef"/>
      <subject id="17" name="EF"/>
      <subject id="18" name="   "/>
      <subject id="19"/>
    </subjects>
    <other><subjects><subject id="99" name="No se lee"/></subjects></other>)"),
                carpeta.Path());
  const std::vector<Registro> asignaturas = LeerTabla(carpeta.Path(), "ASIGNOMT");
  ASSERT_EQ(asignaturas.size(), 9u);
  EXPECT_EQ(asignaturas[0], (Registro{{"COD", "EF"}, {"CODLARGO", "Educación"}, {"NOMBRE", "Educación Física"},
                                      {"IDSAGA", "11"}, {"HORAS", "2"}}));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGNOMT", "COD"),
              ElementsAre("EF", "Matemá", "Matemá1", "T4", "T1", "ef", "EF1", "", "1"));
  // Three attributes without `hours`, blank hours and no hours at all read as the default.
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGNOMT", "HORAS"), ElementsAre("2", "4", "4", "4", "2.5", "4", "4", "4", "4"));
  EXPECT_EQ(asignaturas[8].at("NOMBRE"), "");
}

TEST_F(ExportarTest, LosTextosLargosSeCortanAlTamanoDelCampo) {
  const std::string nombre(90, 'x');
  const std::string id(70, '7');
  ExportarTexto(Saga("<subjects><subject id=\"" + id + "\" name=\"" + nombre + "\" hours=\"123456789\"/></subjects>"),
                carpeta.Path());
  const Registro asignatura = LeerTabla(carpeta.Path(), "ASIGNOMT").at(0);
  EXPECT_EQ(asignatura.at("NOMBRE"), std::string(80, 'x'));
  EXPECT_EQ(asignatura.at("CODLARGO"), std::string(10, 'x'));
  EXPECT_EQ(asignatura.at("COD"), "xxxxxx");
  EXPECT_EQ(asignatura.at("IDSAGA"), std::string(60, '7'));
  EXPECT_EQ(asignatura.at("HORAS"), "12345678");
}

TEST_F(ExportarTest, ProfesoresConLasInicialesDelPrimerHijo) {
  ExportarTexto(Saga(R"(<teachers>
      <teacher id="P1">  juan pérez </teacher>
      <teacher id="P2">JUAN PÉREZ</teacher>
      <teacher id="P3"><nombre>Marta</nombre><apellidos>Ruiz</apellidos></teacher>
      <teacher id="P4"/>
      <teacher id="P5"></teacher>
      <teacher id="P6">Ana  María Ruiz</teacher>
    </teachers>)"),
                carpeta.Path());
  const std::vector<Registro> profesores = LeerTabla(carpeta.Path(), "PROFT");
  ASSERT_EQ(profesores.size(), 6u);
  EXPECT_EQ(profesores[0],
            (Registro{{"ABREV", "jp"}, {"NOMBRE", "juan pérez"}, {"DEPART", ""}, {"DNI", ""}, {"IDSAGA", "P1"}}));
  EXPECT_THAT(Columna(carpeta.Path(), "PROFT", "ABREV"), ElementsAre("jp", "JP1", "M", "", "1", "A MR"));
  EXPECT_EQ(profesores[2].at("NOMBRE"), "Marta");
}

TEST_F(ExportarTest, AulasConSusCodigos) {
  ExportarTexto(Saga(R"(<locations>
      <location id="L1">Aula 1</location>
      <location id="L2">Aula 1</location>
      <location id="L3">Laboratorio</location>
      <location id="L4">Laboratorio</location>
      <location id="L5">Gimnasio</location>
      <location id="L6">GIMNASIO</location>
      <location id="L7">Sala de profesores</location>
      <location id="L8">a b c d e f g h i j k l</location>
      <location id="L9">a b c d e f g h i j k l</location>
    </locations>)"),
                carpeta.Path());
  EXPECT_THAT(Columna(carpeta.Path(), "AULAT", "ABREV"),
              ElementsAre("A1", "A2", "Labora", "Labor1", "Gimnas", "GIMNA1", "Sdp", "abcdefghij", "abcdefghi1"));
  const Registro aula = LeerTabla(carpeta.Path(), "AULAT").at(0);
  EXPECT_EQ(aula, (Registro{{"ABREV", "A1"}, {"NOMBRE", "Aula 1"}, {"EDIFICIO", ""}, {"MAXALUM", ""}, {"IDSAGA", "L1"}}));
}

TEST_F(ExportarTest, GruposConNivelCursoLetraYCodigo) {
  ExportarTexto(Saga(R"(<groups>
      <group id="G1" regim=" M " name="ESO 1A"> Primero A </group>
      <group id="G2" regim="ABC" name="ESO 1a">Primero a</group>
      <group id="G3" name="Bachillerato 2 B">Segundo</group>
      <group id="G4" regim="T" name="1º ESO A"/>
      <group id="G5" regim="T" name="ESO 1A">Otra</group>
    </groups>)"),
                carpeta.Path());
  const std::vector<Registro> grupos = LeerTabla(carpeta.Path(), "GRUPOST");
  ASSERT_EQ(grupos.size(), 5u);
  EXPECT_EQ(grupos[0], (Registro{{"ABREV", "ESO1A"}, {"TURNO", "M"}, {"NIVEL", "ESO"}, {"CURSO", "1"}, {"GRUPO", "A"},
                                 {"IDSAGA", "G1"}, {"DESCRIP", "ESO 1A (Primero A)"}}));
  EXPECT_EQ(grupos[2], (Registro{{"ABREV", "Bachil"}, {"TURNO", ""}, {"NIVEL", "Bachi"}, {"CURSO", ""}, {"GRUPO", "B"},
                                 {"IDSAGA", "G3"}, {"DESCRIP", "Bachillerato 2 B (Segundo)"}}));
  EXPECT_THAT(Columna(carpeta.Path(), "GRUPOST", "ABREV"), ElementsAre("ESO1A", "ESO1a1", "Bachil", "1º A", "ESO1A2"));
  EXPECT_THAT(Columna(carpeta.Path(), "GRUPOST", "TURNO"), ElementsAre("M", "C", "", "T", "T"));
  EXPECT_EQ(grupos[3].at("DESCRIP"), "1º ESO A ()");
}

// Subjects, teachers and groups enough to check the lookups of the assignments.
constexpr std::string_view kCentro = R"(
  <subjects>
    <subject id="S1" name="Matemáticas" hours="4"/>
    <subject id="S2" name="Cultura Clásica" hours="2.5"/>
    <subject id="S3" name="Música" hours="abc"/>
    <subject id="S4" name="Proyecto" hours="20"/>
    <subject id="S5" name="Tutoría"/>
    <subject id="S6" name="Cero" hours="0"/>
    <subject id="S7" name="Negativa" hours="-2"/>
    <subject id="S1" name="Repetida" hours="9"/>
  </subjects>
  <teachers>
    <teacher id="T1">Lucía Fernández</teacher>
    <teacher id="T2">Luis Fuentes</teacher>
  </teachers>
  <groups>
    <group id="G1" regim="ORD-M" name="ESO 1A">Primero A
      <assigned-subjects>
        <assigned-subject id="S1"><assigned-teachers><assigned-teacher id="T1"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S2"><assigned-teachers><assigned-teacher id="T1"/><assigned-teacher id="TX"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S3"><assigned-teachers><assigned-teacher id="TX"/><assigned-teacher id="T2"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S4"/>
      </assigned-subjects>
      <assigned-subjects>
        <assigned-subject id="S5"><assigned-teachers><assigned-teacher id=" T2 "/></assigned-teachers></assigned-subject>
      </assigned-subjects>
    </group>
    <group id="G2" regim="T" name="Bachillerato 1 A">Sin asignaturas</group>
    <group id="G3" regim="T" name="Bachillerato 1 B">Vacío<assigned-subjects/></group>
    <group id="G4" regim="T" name="ESO 2A">Dos
      <assigned-subjects>
        <assigned-subject id="SX"><assigned-teachers><assigned-teacher id="T1"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S6"/>
        <assigned-subject id="S7"/>
        <assigned-subject id="S1"/>
      </assigned-subjects>
    </group>
  </groups>
  <groups>
    <group id="GX" regim="T" name="No leído">Segunda lista</group>
  </groups>)";

TEST_F(ExportarTest, AsignacionesBuscanSusCodigosEnLasTablasRecienHechas) {
  ExportarTexto(Saga(kCentro), carpeta.Path());
  const std::vector<Registro> asignaciones = LeerTabla(carpeta.Path(), "ASIGT");
  ASSERT_EQ(asignaciones.size(), 9u);
  EXPECT_EQ(asignaciones[0], (Registro{{"CASIG", "Matemá"}, {"CPROF", "LF"}, {"CGRUP", "ESO1A"}, {"CAULA", ""},
                                       {"TURNO", "M"}, {"NIVEL", "ESO"}, {"CURSO", "1"}, {"GRUPO", "A"},
                                       {"HORAS", "4"}, {"SESIONES", "1111"}}));
  // The last assigned teacher decides, found or not; none gives an empty code.
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CPROF"), ElementsAre("LF", "", "LF1", "", "LF1", "LF", "", "", ""));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CASIG"),
              ElementsAre("Matemá", "CC", "Música", "Proyec", "Tutorí", "", "Cero", "Negati", "Matemá"));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "SESIONES"),
              ElementsAre("1111", "111", "1", "7" + std::string(13, '1'), "1111", "", "", "", "1111"));
  EXPECT_THAT(Columna(carpeta.Path(), "ASIGT", "CGRUP"),
              ElementsAre("ESO1A", "ESO1A", "ESO1A", "ESO1A", "ESO1A", "ESO2A", "ESO2A", "ESO2A", "ESO2A"));

  tables::Table asigt(carpeta.Path(), "ASIGT", text::RegionalSettings{','});
  asigt.Open();
  std::vector<double> horas;
  std::vector<std::string> textos;
  for (asigt.First(); !asigt.Eof(); asigt.Next()) {
    horas.push_back(asigt.FieldByName("HORAS").AsFloat());
    textos.push_back(asigt.FieldByName("HORAS").AsString());
  }
  EXPECT_THAT(horas, ElementsAre(4, 2.5, 1, 20, 4, 0, 0, -2, 4));
  // A subject that is not found leaves HORAS unwritten.
  EXPECT_EQ(textos[5], "");
  EXPECT_EQ(textos[6], "0");
}

TEST_F(ExportarTest, UnGrupoQueNoEstaEnLaTablaDaCamposVacios) {
  // The group's id is longer than IDSAGA keeps, so its lookup never matches.
  const std::string id(61, 'g');
  ExportarTexto(Saga(R"(<subjects><subject id="S1" name="Latín"/></subjects><groups>
      <group id=")" + id + R"(" regim="M" name="ESO 1A">x<assigned-subjects><assigned-subject id="S1"/></assigned-subjects></group>
    </groups>)"),
                carpeta.Path());
  const Registro asignacion = LeerTabla(carpeta.Path(), "ASIGT").at(0);
  EXPECT_EQ(asignacion, (Registro{{"CASIG", "Latín"}, {"CPROF", ""}, {"CGRUP", ""}, {"CAULA", ""}, {"TURNO", ""},
                                  {"NIVEL", ""}, {"CURSO", ""}, {"GRUPO", ""}, {"HORAS", "4"}, {"SESIONES", "1111"}}));
}

TEST_F(ExportarTest, LasHorasConPuntoValenIgualConCualquierSeparador) {
  const std::string xml = Saga(R"(<subjects><subject id="S1" name="Cultura Clásica" hours="2.5"/>
      <subject id="S2" name="Griego" hours="1,5"/></subjects>
    <groups><group id="G1" regim="M" name="ESO 1A">x<assigned-subjects>
      <assigned-subject id="S1"/><assigned-subject id="S2"/></assigned-subjects></group></groups>)");
  for (const char separador : {'.', ','}) {
    testing::TempFolder otra;
    ExportarTexto(xml, otra.Path(), text::RegionalSettings{separador});
    EXPECT_THAT(Columna(otra.Path(), "ASIGT", "SESIONES"), ElementsAre("111", "11")) << separador;
    tables::Table asigt(otra.Path(), "ASIGT", text::RegionalSettings{','});
    asigt.Open();
    asigt.First();
    EXPECT_DOUBLE_EQ(asigt.FieldByName("HORAS").AsFloat(), 2.5) << separador;
  }
}

TEST_F(ExportarTest, DiasHorasQuedaVaciaConSusOchoCampos) {
  testing::WriteBytes(carpeta / "DIASHORAST.MDX", "indice viejo");
  ExportarTexto(Saga(kCentro), carpeta.Path());
  EXPECT_TRUE(LeerTabla(carpeta.Path(), "DIASHORAST").empty());
  EXPECT_THAT(prueba::Campos(carpeta.Path(), "DIASHORAST"),
              ElementsAre("DIHO", "CODDIHO", "DIA", "TEXTODIA", "HORA", "HORADESDE", "HORAHASTA", "MINUTOS"));
  EXPECT_FALSE(std::filesystem::exists(carpeta / "DIASHORAST.MDX"));
}

TEST_F(ExportarTest, UnaRaizDistintaDaSeisTablasVacias) {
  const ResumenExportacion resumen =
      ExportarTexto("<?xml version=\"1.0\"?><documento><subjects><subject id=\"1\" name=\"A\"/></subjects></documento>",
                    carpeta.Path());
  ASSERT_EQ(resumen.registros.size(), 6u);
  for (const auto& [tabla, registros] : resumen.registros) {
    EXPECT_EQ(registros, 0u) << tabla;
    EXPECT_TRUE(LeerTabla(carpeta.Path(), tabla).empty()) << tabla;
  }
}

TEST_F(ExportarTest, ElResumenYElProgresoSiguenElOrdenDeLasTablas) {
  std::vector<std::string> tablas;
  std::vector<std::pair<std::size_t, std::size_t>> finales;
  const ResumenExportacion resumen =
      ExportarTexto(Saga(kCentro), carpeta.Path(), text::RegionalSettings{','},
                    [&](std::string_view tabla, std::size_t hecho, std::size_t total) {
                      if (tablas.empty() || tablas.back() != tabla) {
                        tablas.emplace_back(tabla);
                        finales.emplace_back();
                      }
                      EXPECT_LE(hecho, total);
                      finales.back() = {hecho, total};
                    });
  EXPECT_THAT(tablas, ElementsAre("ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"));
  EXPECT_THAT(finales, ElementsAre(std::pair<std::size_t, std::size_t>{8, 8}, std::pair<std::size_t, std::size_t>{2, 2},
                                   std::pair<std::size_t, std::size_t>{0, 0}, std::pair<std::size_t, std::size_t>{5, 5},
                                   std::pair<std::size_t, std::size_t>{9, 9}, std::pair<std::size_t, std::size_t>{0, 0}));
  ASSERT_EQ(resumen.registros.size(), 6u);
  EXPECT_EQ(resumen.registros[0], (std::pair<std::string, std::size_t>{"ASIGNOMT", 8}));
  EXPECT_EQ(resumen.registros[4], (std::pair<std::string, std::size_t>{"ASIGT", 9}));
}

TEST_F(ExportarTest, DosExportacionesDelMismoDocumentoDanLasMismasTablas) {
  ExportarTexto(Saga(kCentro), carpeta.Path());
  const auto primera = prueba::Contenido(carpeta.Path());
  ExportarTexto(Saga(kCentro), carpeta.Path());
  EXPECT_EQ(prueba::Contenido(carpeta.Path()), primera);
}

}  // namespace
}  // namespace pontexa::exportacion
