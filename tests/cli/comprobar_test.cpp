// pontexa-cli comprobar: the dry run, run as a user would run it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../import/carpeta_mirvane.h"
#include "ejecutar_cli.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using pontexa::testing::Citado;
using pontexa::testing::Ejecutar;
using pontexa::testing::ReadBytes;
using pontexa::testing::Salida;
using pontexa::testing::WriteBytes;

// Every file of a folder (or one file): its bytes and its modification time.
using Estado = std::map<std::string, std::pair<std::string, fs::file_time_type>>;
Estado EstadoDe(const fs::path& ruta) {
  Estado estado;
  if (fs::is_regular_file(ruta)) {
    estado[ruta.filename().generic_string()] = {ReadBytes(ruta), fs::last_write_time(ruta)};
    return estado;
  }
  for (const fs::directory_entry& e : fs::directory_iterator(ruta)) {
    estado[e.path().filename().generic_string()] = {ReadBytes(e.path()), fs::last_write_time(e.path())};
  }
  return estado;
}

// The record count in a dBase header.
std::uint32_t Registros(const fs::path& tabla) {
  const std::string b = ReadBytes(tabla);
  return static_cast<std::uint8_t>(b[4]) | static_cast<std::uint8_t>(b[5]) << 8 |
         static_cast<std::uint8_t>(b[6]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[7])) << 24;
}

const std::vector<std::string> kTablas = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// One case of every kind the export reports.
const std::string kTodosLosAvisos = std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<document>
  <subjects>
    <subject id="S1" name="Lengua" hours="3"/>
    <subject id="S1" name="Latín" hours="2"/>
    <subject id="S2" name="Música" hours="dos"/>
    <subject id=" S3" name="Plástica" hours="2"/>
    <subject id="S4" name="N)") + "\xFF" + R"(mero" hours="2"/>
  </subjects>
  <teachers>
    <teacher id="T1">Ana Ruiz</teacher>
    <teacher id="T2">Alberto Ruiz</teacher>
    <teacher id="T)" "\xC5\x91" R"(">Olga Ortiz</teacher>
  </teachers>
  <locations>
    <location id="L1">Aula 1</location>
  </locations>
  <groups>
    <group id="G1" regim="ORD-M" name="ESO 1A">Primero A
      <assigned-subjects>
        <assigned-subject id="S9"><assigned-teachers><assigned-teacher id="T1"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S1"><assigned-teachers><assigned-teacher id="T9"/></assigned-teachers></assigned-subject>
        <assigned-subject id="S2"><assigned-teachers><assigned-teacher id="T1"/><assigned-teacher id="T8"/></assigned-teachers></assigned-subject>
      </assigned-subjects>
    </group>
    <group id="G2" regim="ORD-M" name="ESO 1B">Primero B</group>
    <group id=")" + std::string(61, 'g') + R"(" regim="ORD-T" name="ESO 2A">Segundo A
      <assigned-subjects>
        <assigned-subject id="S1"><assigned-teachers><assigned-teacher id="T2"/></assigned-teachers></assigned-subject>
      </assigned-subjects>
    </group>
  </groups>
</document>
)";

class ComprobarCliTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(carpeta); }
  std::string Exportar(const fs::path& saga) const {
    return "exportar " + Citado(saga) + " --carpeta " + Citado(carpeta);
  }
  pontexa::testing::TempFolder tmp;
  fs::path carpeta = tmp / "qorda";
  fs::path instituto = pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml";
};

TEST_F(ComprobarCliTest, CadaAvisoDeLaExportacionEnTextoYEnJson) {
  const fs::path saga = tmp / "avisos.xml";
  WriteBytes(saga, kTodosLosAvisos);
  const Salida json = Ejecutar(tmp, "comprobar " + Exportar(saga) + " --formato json");
  EXPECT_EQ(json.codigo, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("\"direccion\": \"exportar\""));
  EXPECT_THAT(json.out, HasSubstr("\"resultado\": \"con_avisos\""));
  EXPECT_THAT(json.out, HasSubstr("\"errores\": []"));
  EXPECT_THAT(json.out, HasSubstr("\"tablas\": {\"ASIGNOMT\": 5, \"PROFT\": 3, \"AULAT\": 1, \"GRUPOST\": 3, "
                                  "\"ASIGT\": 4, \"DIASHORAST\": 0}"));
  EXPECT_THAT(json.out, HasSubstr("{\"tabla\": \"PROFT\", \"idsaga\": \"T2\", \"nombre\": \"Alberto Ruiz\", "
                                  "\"propuesto\": \"AR\", \"codigo\": \"AR1\"}"));
  const Salida texto = Ejecutar(tmp, "comprobar " + Exportar(saga));
  EXPECT_EQ(texto.codigo, 0) << texto.err;
  for (const char* tipo : {"asignatura_desconocida", "profesor_desconocido", "ultimo_profesor_desconocido",
                           "grupo_desconocido", "id_repetido", "id_demasiado_largo", "horas_no_numericas",
                           "grupo_sin_asignaturas", "id_no_representable", "texto_no_valido"}) {
    EXPECT_THAT(json.out, HasSubstr("{\"tipo\": \"" + std::string(tipo) + "\"")) << tipo;
    EXPECT_THAT(texto.out, HasSubstr("  " + std::string(tipo) + " (")) << tipo;
  }
  // Each names what it is about and where.
  EXPECT_THAT(json.out, HasSubstr("\"profesor\": \"T8\", \"grupo\": \"G1\", \"asignatura\": \"S2\", \"registro\": 3"));
  EXPECT_THAT(json.out, HasSubstr("\"original\": \" S3\""));
  EXPECT_THAT(texto.out, HasSubstr("El id 'S1' de subject número 2 (línea 5) ya lo tiene el elemento número 1"));
  EXPECT_THAT(texto.out, HasSubstr("Resultado: correcto, con avisos"));
  EXPECT_TRUE(fs::is_empty(carpeta));
}

TEST_F(ComprobarCliTest, UnaRaizQueNoEsDocumentSeAvisa) {
  const fs::path saga = tmp / "otra.xml";
  WriteBytes(saga, "<saga><subjects><subject id=\"1\" name=\"A\"/></subjects></saga>");
  const Salida json = Ejecutar(tmp, "comprobar " + Exportar(saga) + " --formato json");
  EXPECT_EQ(json.codigo, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("{\"tipo\": \"raiz_no_document\""));
  EXPECT_THAT(json.out, HasSubstr("\"ASIGNOMT\": 0"));
}

TEST_F(ComprobarCliTest, NoCambiaNadaEnLaCarpetaNiEnElArchivo) {
  ASSERT_EQ(Ejecutar(tmp, Exportar(instituto)).codigo, 0);
  const fs::path saga = tmp / "instituto.xml";
  fs::copy_file(instituto, saga);
  for (const char* tabla : {"DIASHORAST.DBF", "SOLUC.DBF"}) {
    fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/qorda" / tabla, carpeta / tabla,
                  fs::copy_options::overwrite_existing);
  }
  const Estado antes = EstadoDe(carpeta), archivoAntes = EstadoDe(saga);
  for (const char* direccion : {"exportar", "importar"}) {
    for (const char* formato : {"texto", "json"}) {
      const Salida s = Ejecutar(tmp, std::string("comprobar ") + direccion + " " + Citado(saga) + " --carpeta " +
                                         Citado(carpeta) + " --formato " + formato);
      EXPECT_EQ(s.codigo, 0) << direccion << s.out << s.err;
    }
  }
  EXPECT_EQ(EstadoDe(carpeta), antes);
  EXPECT_EQ(EstadoDe(saga), archivoAntes);
}

// What comprobar says each table would hold is what exportar then writes.
void TablasComoLasEscribe(const ComprobarCliTest& t, const pontexa::testing::TempFolder& tmp, const fs::path& carpeta,
                          const fs::path& saga) {
  const Salida dicho = Ejecutar(tmp, "comprobar exportar " + Citado(saga) + " --carpeta " + Citado(carpeta) +
                                         " --formato json");
  ASSERT_EQ(dicho.codigo, 0) << dicho.out;
  const Salida hecho = Ejecutar(tmp, "exportar " + Citado(saga) + " --carpeta " + Citado(carpeta));
  ASSERT_EQ(hecho.codigo, 0) << hecho.err;
  std::string esperado = "\"tablas\": {";
  for (std::size_t i = 0; i < kTablas.size(); ++i) {
    esperado += (i ? ", \"" : "\"") + kTablas[i] + "\": " + std::to_string(Registros(carpeta / (kTablas[i] + ".DBF")));
  }
  EXPECT_THAT(dicho.out, HasSubstr(esperado + "}"));
  (void)t;
}

TEST_F(ComprobarCliTest, LasTablasDichasSonLasQueSeEscribenEnElInstituto) {
  TablasComoLasEscribe(*this, tmp, carpeta, instituto);
}

TEST_F(ComprobarCliTest, LasTablasDichasSonLasQueSeEscribenEnUnDistrito) {
  // Many schools in one file: repeated names, so codes change; some ids unknown.
  std::string xml = "<document>\n<subjects>\n";
  for (int i = 0; i < 300; ++i) xml += "<subject id=\"s" + std::to_string(i) + "\" name=\"Materia " + std::to_string(i % 37) + "\" hours=\"" + std::to_string(i % 5) + "\"/>\n";
  xml += "</subjects>\n<teachers>\n";
  for (int i = 0; i < 400; ++i) xml += "<teacher id=\"p" + std::to_string(i) + "\">Profe " + std::to_string(i % 50) + " Ruiz</teacher>\n";
  xml += "</teachers>\n<locations>\n";
  for (int i = 0; i < 120; ++i) xml += "<location id=\"l" + std::to_string(i) + "\">Aula " + std::to_string(i % 9) + "</location>\n";
  xml += "</locations>\n<groups>\n";
  for (int g = 0; g < 200; ++g) {
    xml += "<group id=\"g" + std::to_string(g) + "\" regim=\"ORD-M\" name=\"ESO " + std::to_string(g % 4 + 1) +
           static_cast<char>('A' + g % 6) + "\">G<assigned-subjects>\n";
    for (int a = 0; a < 12; ++a) {
      xml += "<assigned-subject id=\"s" + std::to_string((g * 7 + a) % 320) + "\"><assigned-teachers><assigned-teacher id=\"p" +
             std::to_string((g * 3 + a) % 410) + "\"/></assigned-teachers></assigned-subject>\n";
    }
    xml += "</assigned-subjects></group>\n";
  }
  xml += "</groups>\n</document>\n";
  const fs::path saga = tmp / "distrito.xml";
  WriteBytes(saga, xml);
  TablasComoLasEscribe(*this, tmp, carpeta, saga);
}

TEST_F(ComprobarCliTest, UnArchivoQueFallariaDiceTodosSusErrores) {
  const fs::path saga = tmp / "malo.xml";
  WriteBytes(saga,
             "<document><subjects><subject name=\"A\"/><subject id=\"1\" name=\"B\" hours=\"1e300\"/></subjects>"
             "<teachers><teacher>Sin Id</teacher></teachers><groups><group id=\"G\" name=\"ESO 1A\">"
             "<assigned-subjects><assigned-subject id=\"1\"/><assigned-subject/></assigned-subjects>"
             "</group></groups></document>");
  ASSERT_EQ(Ejecutar(tmp, Exportar(instituto)).codigo, 0);
  const Estado antes = EstadoDe(carpeta);
  const Salida json = Ejecutar(tmp, "comprobar " + Exportar(saga) + " --formato json");
  EXPECT_EQ(json.codigo, 1);
  EXPECT_THAT(json.out, HasSubstr("\"resultado\": \"error\""));
  EXPECT_THAT(json.out, HasSubstr("Falta el atributo id en el elemento subject número 1"));
  EXPECT_THAT(json.out, HasSubstr("Falta el atributo id en el elemento teacher número 1"));
  EXPECT_THAT(json.out, HasSubstr("Falta el atributo id en el elemento assigned-subject número 2"));
  EXPECT_THAT(json.out, HasSubstr("\"tipo\": \"horas_fuera_de_rango\""));
  const Salida texto = Ejecutar(tmp, "comprobar " + Exportar(saga));
  EXPECT_EQ(texto.codigo, 1);
  EXPECT_THAT(texto.out, HasSubstr("Errores que detendrían la transferencia (4):"));
  EXPECT_THAT(texto.out, HasSubstr("Resultado: fallaría"));
  EXPECT_EQ(EstadoDe(carpeta), antes);
  // The real run stops at the first of them.
  EXPECT_EQ(Ejecutar(tmp, Exportar(saga)).codigo, 1);
  EXPECT_EQ(EstadoDe(carpeta), antes);
}

TEST_F(ComprobarCliTest, MalUsoDaEstado2) {
  for (const std::string args : {"comprobar", "comprobar exportar", "comprobar borrar x.xml",
                                 "comprobar exportar x.xml --formato xml", "comprobar exportar x.xml --avisos"}) {
    EXPECT_EQ(Ejecutar(tmp, args).codigo, 2) << args;
  }
  const Salida falta = Ejecutar(tmp, "comprobar exportar " + Citado(tmp / "no.xml") + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(falta.codigo, 1);
  EXPECT_THAT(falta.out, HasSubstr("No existe archivo"));
}

TEST_F(ComprobarCliTest, AvisosTrasLaExportacionRealSinCambiarLasTablas) {
  const Salida sin = Ejecutar(tmp, Exportar(instituto));
  ASSERT_EQ(sin.codigo, 0);
  const Estado tablas = EstadoDe(carpeta);
  const Salida con = Ejecutar(tmp, Exportar(instituto) + " --avisos");
  ASSERT_EQ(con.codigo, 0) << con.err;
  EXPECT_EQ(con.out, sin.out);
  EXPECT_THAT(con.err, HasSubstr("asignatura_desconocida (1):"));
  EXPECT_THAT(con.err, HasSubstr("grupo_sin_asignaturas (1):"));
  for (const auto& [nombre, contenido] : EstadoDe(carpeta)) EXPECT_EQ(contenido.first, tablas.at(nombre).first) << nombre;
}

// ---- import ---------------------------------------------------------------

using pontexa::testing::CarpetaMirvane;

TEST(ComprobarImportarCli, CadaAvisoDeLaImportacionYLosCambiosDeLaSeccion) {
  CarpetaMirvane mirvane;
  mirvane.Grupos({{"1A", "g1"}});
  mirvane.Profesores({{"PG", "p1"}});
  mirvane.Aulas({{"A1", "r1"}});
  mirvane.Asignaturas({{"MAT", "Matematicas", "s1"}, {"LEN", "Lengua", "s2"}});
  mirvane.DiasHoras({{"1", "Lunes", "1", "8:00", "8:55"}, {"9", "Nunca", "1", "8:00", "8:55"},
                     {"1", "Lunes", "41", "9:00", "9:55"}});
  mirvane.Soluc({{"1A", "PG", "MAT", "1", "1", "1", "A1"},
                 {"9Z", "QQ", "s2", "1", "1", "1", "B7"},
                 {"1A", "PG", "LEN", "1", "3", "1", "A1"},
                 {"1A", "PG", "MAT", "0", "0", "1", "A1"}});
  const fs::path saga = mirvane.Saga(
      "<document><time-tables><time-table><activities><activity id=\"a1\" subject=\"s1\"/></activities><inputs>"
      "<input id=\"input1\" day=\"1\" interval=\"i1\" activity=\"a1\"><groups><group id=\"g1\"/></groups><members>"
      "<member id=\"p1\"/></members><locations><location id=\"r1\"/></locations></input>"
      "<input id=\"input2\" day=\"2\" interval=\"i1\" activity=\"a1\"><groups><group id=\"g1\"/></groups><members>"
      "<member id=\"p1\"/></members><locations><location id=\"r1\"/></locations></input>"
      "</inputs></time-table></time-tables></document>");
  const Estado antes = EstadoDe(saga), carpetaAntes = EstadoDe(mirvane.Carpeta());
  pontexa::testing::TempFolder tmp;
  const std::string orden = "comprobar importar " + Citado(saga) + " --carpeta " + Citado(mirvane.Carpeta());
  const Salida json = Ejecutar(tmp, orden + " --formato json");
  EXPECT_EQ(json.codigo, 0) << json.out << json.err;
  EXPECT_THAT(json.out, HasSubstr("\"resultado\": \"con_avisos\""));
  EXPECT_THAT(json.out, HasSubstr("\"sesiones\": {\"colocadas\": 3, \"sin_colocar\": 1}"));
  // The first input stays, the one on day 2 goes, two come.
  EXPECT_THAT(json.out, HasSubstr("\"cambios\": {\"entradas_antes\": 2, \"entradas_despues\": 3, \"añadidas\": 2, "
                                  "\"quitadas\": 1}"));
  for (const char* caso : {"\"tabla\": \"GRUPOST\", \"campo\": \"CODGRUPO\", \"registro\": 2, \"valor\": \"9Z\"",
                           "\"tabla\": \"PROFT\", \"campo\": \"PROF\", \"registro\": 2, \"valor\": \"QQ\"",
                           "\"tabla\": \"AULAT\", \"campo\": \"AULA\", \"registro\": 2, \"valor\": \"B7\"",
                           "\"tabla\": \"ASIGNOMT\", \"campo\": \"ASIG\", \"registro\": 2, \"valor\": \"s2\""}) {
    EXPECT_THAT(json.out, HasSubstr("{\"tipo\": \"codigo_desconocido\"")) << caso;
    EXPECT_THAT(json.out, HasSubstr(caso));
  }
  EXPECT_THAT(json.out, HasSubstr("\"tipo\": \"dia_u_hora_fuera_de_rango\""));
  EXPECT_THAT(json.out, HasSubstr("\"campo\": \"DIA\", \"registro\": 2, \"valor\": \"9\""));
  EXPECT_THAT(json.out, HasSubstr("\"campo\": \"HORA\", \"registro\": 3, \"valor\": \"41\""));
  EXPECT_THAT(json.out, HasSubstr("\"tipo\": \"intervalo_no_definido\""));
  EXPECT_THAT(json.out, HasSubstr("\"registro\": 3, \"dia\": \"1\", \"intervalo\": \"i3\""));
  const Salida texto = Ejecutar(tmp, orden);
  EXPECT_EQ(texto.codigo, 0);
  EXPECT_THAT(texto.out, HasSubstr("Sesiones colocadas: 3; sin colocar: 1"));
  EXPECT_THAT(texto.out, HasSubstr("codigo_desconocido (4):"));
  EXPECT_EQ(EstadoDe(saga), antes);
  EXPECT_EQ(EstadoDe(mirvane.Carpeta()), carpetaAntes);
}

TEST(ComprobarImportarCli, SinDiasYConSesionesSeRechazaYElArchivoNoCambia) {
  CarpetaMirvane mirvane;
  mirvane.Asignaturas({{"MAT", "Matematicas", "s1"}});
  mirvane.DiasHoras({});
  mirvane.Soluc({{"", "", "MAT", "1", "1", "1", ""}, {"", "", "XX", "2", "1", "1", ""},
                 {"", "", "YY", "2", "2", "1", ""}});
  const fs::path saga = mirvane.Saga("<document><a/></document>");
  const Estado antes = EstadoDe(saga);
  pontexa::testing::TempFolder tmp;
  const std::string carpeta = " --carpeta " + Citado(mirvane.Carpeta());
  const Salida json = Ejecutar(tmp, "comprobar importar " + Citado(saga) + carpeta + " --formato json");
  EXPECT_EQ(json.codigo, 1);
  EXPECT_THAT(json.out, HasSubstr("{\"tipo\": \"dias_vacios\""));
  EXPECT_THAT(json.out, HasSubstr("{\"tipo\": \"sin_dias\""));
  // Both subjects without activity, not only the first.
  EXPECT_THAT(json.out, HasSubstr("\"registro\": 2, \"valor\": \"XX\""));
  EXPECT_THAT(json.out, HasSubstr("\"registro\": 3, \"valor\": \"YY\""));
  const Salida real = Ejecutar(tmp, "importar " + Citado(saga) + carpeta);
  EXPECT_EQ(real.codigo, 1);
  EXPECT_THAT(real.err, HasSubstr("DIASHORAST no define ningún día y SOLUC coloca sesiones"));
  EXPECT_EQ(EstadoDe(saga), antes);
}

}  // namespace
