// Importing into a SAGA file on disk: what changes, what must not, and every
// way the import can fail without touching the file.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "carpeta_mirvane.h"
#include "import/importador.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "saga/document.h"
#include "tables/dbf_writer.h"
#include "tables/table.h"
#include "tables/table_replacement.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kSaga =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- exportado por SAGA -->\n"
    "<document version=\"2\">\n"
    "  <time-tables><time-table id=\"old1\"/></time-tables>\n"
    "  <teachers>\n"
    "    <teacher id=\"p1\">Pérez García, Ana</teacher>\n"
    "    <time-tables note=\"deeper, not ours\"/>\n"
    "  </teachers>\n"
    "  <time-tables><time-table id=\"old2\"/></time-tables>\n"
    "  <?saga keep?>\n"
    "  <groups><group id=\"g1\"/></groups>\n"
    "</document>\n"
    "<!-- fin -->\n";

// A small timetable with one lesson of each kind.
void Llenar(CarpetaMirvane& mirvane) {
  mirvane.DiasHoras({{"1", "Lunes", "1", "8:00", "8:55"}, {"1", "Lunes", "2", "9:00", "9:55"}});
  mirvane.Grupos({{"1A", "g1"}});
  mirvane.Profesores({{"PG", "p1"}});
  mirvane.Aulas({{"A1", "r1"}});
  mirvane.Asignaturas({{"MAT", "Matematicas", "s1"}});
  mirvane.Soluc({{"1A", "PG", "MAT", "1", "1", "1", "A1"}, {"1A", "PG", "MAT", "1", "2", "0.5", "A1"}});
}

std::vector<std::string> Entradas(const fs::path& carpeta) {
  std::vector<std::string> nombres;
  for (const auto& entrada : fs::directory_iterator(carpeta)) nombres.push_back(entrada.path().filename().string());
  std::sort(nombres.begin(), nombres.end());
  return nombres;
}

TEST(ImportArchivo, ReplacesEveryTimeTablesChildWithOneLastChild) {
  CarpetaMirvane mirvane;
  Llenar(mirvane);
  const fs::path archivo = mirvane.Saga(kSaga);
  const importacion::ResumenImportacion resumen =
      importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
  EXPECT_EQ(resumen.dias, 1u);
  EXPECT_EQ(resumen.intervalos, 2u);
  EXPECT_EQ(resumen.grupos, 1u);
  EXPECT_EQ(resumen.miembros, 1u);
  EXPECT_EQ(resumen.actividades, 1u);
  EXPECT_EQ(resumen.entradas, 2u);

  const std::string despues = ReadBytes(archivo);
  const std::string raiz = Compacto(despues, "/document");
  EXPECT_THAT(raiz, ::testing::StartsWith("document{version=2}[teachers[teacher{id=p1},time-tables{note=deeper, "
                                          "not ours}],groups[group{id=g1}],time-tables[time-table{id=tt1,"));
  EXPECT_THAT(raiz, HasSubstr("interval=i3,activity=a1"));  // HORA 2, half session

  // Outside the section nothing changed: the file is the old one with the two
  // old sections gone and the new one before the root's end tag.
  std::string esperado(kSaga);
  for (std::string_view viejo : {"<time-tables><time-table id=\"old1\"/></time-tables>",
                                 "<time-tables><time-table id=\"old2\"/></time-tables>"}) {
    esperado.erase(esperado.find(viejo), viejo.size());
  }
  const std::size_t inicio = despues.find("<time-tables>");
  const std::size_t fin = despues.find("</time-tables>") + std::string_view("</time-tables>").size();
  ASSERT_NE(inicio, std::string::npos);
  const std::string sinSeccion = despues.substr(0, inicio) + despues.substr(fin);
  // Only the blank text that stood beside a removed section may differ.
  auto sinBlancosEntreEtiquetas = [](std::string texto) {
    std::string salida;
    for (std::size_t i = 0; i < texto.size(); ++i) {
      if (texto[i] == '\n' || texto[i] == ' ') {
        std::size_t j = i;
        while (j < texto.size() && (texto[j] == '\n' || texto[j] == ' ')) ++j;
        if ((i == 0 || texto[i - 1] == '>') && (j == texto.size() || texto[j] == '<')) {
          i = j - 1;
          continue;
        }
      }
      salida += texto[i];
    }
    return salida;
  };
  EXPECT_EQ(sinBlancosEntreEtiquetas(sinSeccion), sinBlancosEntreEtiquetas(esperado));
  EXPECT_EQ(despues.substr(0, despues.find("<document")), std::string(kSaga.substr(0, kSaga.find("<document"))));
  EXPECT_THAT(despues, ::testing::EndsWith("</document>\n<!-- fin -->\n"));
}

TEST(ImportArchivo, ImportingTwiceGivesTheSameBytesAsOnce) {
  CarpetaMirvane mirvane;
  Llenar(mirvane);
  const fs::path archivo = mirvane.Saga(kSaga);
  importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
  const std::string una = ReadBytes(archivo);
  importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
  EXPECT_EQ(ReadBytes(archivo), una);
  EXPECT_EQ(Compacto(una, "/document/time-tables[2]"), "(none)");
}

// The dialog keeps the document loaded between imports: the section the first
// one added is replaced like any other.
TEST(ImportArchivo, ImportingTwiceIntoTheLoadedDocumentLeavesOneSection) {
  CarpetaMirvane mirvane;
  Llenar(mirvane);
  saga::Document documento = saga::Document::Parse(std::string(kSaga), "saga.xml");
  importacion::Importar(documento, mirvane.Carpeta(), text::RegionalSettings{','});
  const std::string una = documento.Serialize();
  importacion::Importar(documento, mirvane.Carpeta(), text::RegionalSettings{','});
  EXPECT_EQ(documento.Serialize(), una);
  EXPECT_EQ(Compacto(una, "/document/time-tables[2]"), "(none)");
}

TEST(ImportArchivo, FileWithoutTimeTablesGetsItAppendedAfterItsChildren) {
  CarpetaMirvane mirvane;
  const fs::path archivo = mirvane.Saga("<raiz><a/><b>texto</b></raiz>");
  importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
  EXPECT_EQ(Compacto(ReadBytes(archivo), "/raiz"),
            "raiz[a,b,time-tables[time-table{id=tt1,name=Mirvane}[days,groups,members,activities,inputs]]]");
}

// Each failure leaves the SAGA file byte for byte as it was, and no stray file.
class ImportFalla : public ::testing::Test {
 protected:
  void SetUp() override {
    Llenar(mirvane);
    archivo = mirvane.Saga(kSaga);
    antes = Entradas(archivo.parent_path());
  }
  // Runs the import, expects it to fail, returns the message.
  std::string Falla() {
    try {
      importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
    } catch (const pontexa::Error& error) {
      EXPECT_EQ(ReadBytes(archivo), original());
      EXPECT_EQ(Entradas(archivo.parent_path()), antes);
      return error.what();
    }
    ADD_FAILURE() << "the import did not fail";
    return {};
  }
  virtual std::string original() const { return std::string(kSaga); }

  CarpetaMirvane mirvane;
  fs::path archivo;
  std::vector<std::string> antes;
};

TEST_F(ImportFalla, SaveThatFailsPartWay) {
  using platform::faults::Operation;
  for (Operation operacion : {Operation::Write, Operation::Sync, Operation::Rename}) {
    platform::faults::Scoped falla([operacion](Operation op, const std::string&) { return op == operacion; });
    EXPECT_FALSE(Falla().empty()) << static_cast<int>(operacion);
  }
}

TEST_F(ImportFalla, SubjectInNoActivity) {
  mirvane.Soluc({{"1A", "PG", "MAT", "1", "1", "1", "A1"}, {"1A", "PG", "NADA", "1", "2", "1", "A1"}});
  EXPECT_EQ(Falla(), "List index out of bounds (-1)");
}

TEST_F(ImportFalla, MissingTableIsNamed) {
  for (const char* tabla : {"DIASHORAST", "GRUPOST", "SOLUC", "PROFT", "ASIGNOMT", "AULAT"}) {
    const fs::path dbf = mirvane.Carpeta() / (std::string(tabla) + ".DBF");
    const std::string bytes = ReadBytes(dbf);
    fs::remove(dbf);
    EXPECT_THAT(Falla(), HasSubstr(tabla));
    WriteBytes(dbf, bytes);
  }
}

TEST_F(ImportFalla, MissingFieldStopsBeforeAnythingElse) {
  // No placed row would ever read AULA, and the failure comes all the same.
  mirvane.Soluc({{"1A", "PG", "MAT", "0", "1", "1", ""}}, kSolucSinAula);
  const std::string mensaje = Falla();
  EXPECT_THAT(mensaje, HasSubstr("AULA"));
  EXPECT_THAT(mensaje, HasSubstr("SOLUC"));
}

TEST_F(ImportFalla, NumbersThatDoNotConvertNameFieldAndRecord) {
  const struct {
    Leccion leccion;
    const char* campo;
  } casos[] = {
      {{"1A", "PG", "MAT", "x", "1", "1", "A1"}, "DIA"},
      {{"1A", "PG", "MAT", "", "1", "1", "A1"}, "DIA"},
      {{"1A", "PG", "MAT", "1", "2.5", "1", "A1"}, "HORA"},  // '.' is no separator under ','
      {{"1A", "PG", "MAT", "1", "", "1", "A1"}, "HORA"},
      {{"1A", "PG", "MAT", "1", "1", "medio", "A1"}, "SESIONES"},
  };
  for (const auto& caso : casos) {
    mirvane.Soluc({{"1A", "PG", "MAT", "1", "1", "1", "A1"}, caso.leccion}, kSolucTexto);
    const std::string mensaje = Falla();
    EXPECT_THAT(mensaje, HasSubstr(caso.campo));
    EXPECT_THAT(mensaje, HasSubstr("SOLUC"));
    EXPECT_THAT(mensaje, HasSubstr("registro 2"));
  }
}

TEST_F(ImportFalla, SolucHeldByAnotherTable) {
  tables::Table otra(mirvane.Carpeta(), "SOLUC");
  otra.Open();
  EXPECT_THAT(Falla(), HasSubstr("SOLUC"));
}

TEST_F(ImportFalla, SolucHeldByAnotherProcess) {
#ifdef _WIN32
  GTEST_SKIP() << "flock child needs a POSIX system; tables_tests' TableHeldOpenWithoutSharingDoesNotOpen covers Windows";
#else
  const fs::path parar = archivo.parent_path() / "parar";
  const std::string orden = "/usr/bin/python3 -c \"import fcntl, os, sys, time\n"
                            "f = open(sys.argv[1], 'rb+'); fcntl.flock(f, fcntl.LOCK_EX)\n"
                            "print('listo', flush=True)\n"
                            "t = time.time()\n"
                            "while not os.path.exists(sys.argv[2]) and time.time() - t < 30: time.sleep(0.02)\n\" '" +
                            (mirvane.Carpeta() / "SOLUC.DBF").string() + "' '" + parar.string() + "'";
  FILE* hijo = popen(orden.c_str(), "r");
  ASSERT_NE(hijo, nullptr);
  char linea[16] = {};
  ASSERT_NE(fgets(linea, sizeof linea, hijo), nullptr);
  ASSERT_STREQ(linea, "listo\n");
  const std::string mensaje = Falla();
  std::ofstream(parar).put('x');
  pclose(hijo);
  fs::remove(parar);
  EXPECT_THAT(mensaje, HasSubstr("SOLUC"));
  // Once the other process lets go, the import goes through.
  importacion::ImportarArchivo(archivo, mirvane.Carpeta(), text::RegionalSettings{','});
#endif
}

TEST(ImportArchivo, AnExportInterruptedMidwayIsFinishedFirst) {
  CarpetaMirvane mirvane;
  Llenar(mirvane);
  {
    // A new GRUPOST whose switch fails past its commit point, as when the
    // export's process dies there.
    tables::TableReplacement reemplazo(mirvane.Carpeta());
    tables::DbfWriter grupos(tables::kGrupost);
    grupos.Append();
    grupos.SetString("ABREV", "1A");
    grupos.SetString("IDSAGA", "g-nuevo");
    grupos.Post();
    grupos.WriteTo(reemplazo.StagingPath("GRUPOST"));
    platform::faults::Scoped falla([](platform::faults::Operation op, const std::string& ruta) {
      return op == platform::faults::Operation::Rename && ruta.ends_with("GRUPOST.DBF");
    });
    EXPECT_THROW(reemplazo.Commit(), pontexa::Error);
  }
  EXPECT_THAT(mirvane.Seccion("groups"), ::testing::StrEq("groups[group{id=g-nuevo}]"));
}

class ImportArchivoMalo : public ImportFalla {
 protected:
  std::string original() const override { return contenido; }
  std::string contenido;
};

TEST_F(ImportArchivoMalo, NotWellFormedOrWithoutRoot) {
  for (const char* xml : {"<document><a></document>", "", "<?xml version=\"1.0\"?>\n<!-- nada -->\n",
                          "<document/><otro/>", "texto suelto"}) {
    contenido = xml;
    WriteBytes(archivo, contenido);
    EXPECT_THAT(Falla(), HasSubstr("saga.xml")) << '"' << xml << '"';
  }
}

TEST(ImportDocumento, ParsedDocumentWithoutRootIsRefused) {
  CarpetaMirvane mirvane;
  for (const char* xml : {"", "<!-- c -->"}) {
    try {
      saga::Document documento = saga::Document::Parse(xml, "saga.xml");
      EXPECT_THROW(importacion::Importar(documento, mirvane.Carpeta(), text::RegionalSettings{','}), pontexa::Error);
    } catch (const saga::DocumentError&) {
      // refused while parsing already: as good
    }
  }
}

}  // namespace
}  // namespace pontexa::testing
