// Faults during an import. The SAGA file is the school's only copy: after
// any fault it is byte for byte the old file or the complete new one, and no
// temporary file stays beside it. The import writes no table.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "escenario.h"
#include "import/importador.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "support/temp_folder.h"
#include "tables/dbf_fixture.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

using platform::faults::Operation;

class FallosImportacion : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(carpeta_);
    fs::create_directory(carpetaSaga_);
    vieja_ = SagaEscuela(6, 1);
    Exporta(vieja_, carpeta_);
    EscribeSolucYDias(carpeta_, 60);
    tablas_ = Toma(carpeta_);
    WriteBytes(saga_, vieja_);

    const fs::path referencia = temp_ / "referencia.xml";
    WriteBytes(referencia, vieja_);
    (void)importacion::ImportarArchivo(referencia, carpeta_, text::RegionalSettings{','});
    nueva_ = ReadBytes(referencia);
    fs::remove(referencia);
    ASSERT_NE(nueva_, vieja_);
  }

  void Importa() { (void)importacion::ImportarArchivo(saga_, carpeta_, text::RegionalSettings{','}); }

  // The error, or "" when the import went through.
  std::string ImportaYCaptura() {
    try {
      Importa();
    } catch (const pontexa::Error& error) {
      return error.what();
    }
    return {};
  }

  void EsperaVieja() {
    EXPECT_EQ(ReadBytes(saga_), vieja_);
    EXPECT_EQ(Sobrantes(carpetaSaga_, {"centro.xml"}), std::set<std::string>{});
  }
  void EsperaViejaONueva() {
    const std::string ahora = ReadBytes(saga_);
    EXPECT_TRUE(ahora == vieja_ || ahora == nueva_) << "archivo de SAGA a medias: " << ahora.size() << " bytes";
    EXPECT_EQ(Sobrantes(carpetaSaga_, {"centro.xml"}), std::set<std::string>{});
  }
  void EsperaTablasIntactas() { EXPECT_EQ(Toma(carpeta_), tablas_); }

  TempFolder temp_;
  fs::path carpeta_ = temp_ / "QORDA";
  fs::path carpetaSaga_ = temp_ / "saga";
  fs::path saga_ = carpetaSaga_ / "centro.xml";
  std::string vieja_, nueva_;
  Instantanea tablas_;
};

bool Dentro(const std::string& ruta, const fs::path& carpeta) { return ruta.rfind(carpeta.string(), 0) == 0; }

TEST_F(FallosImportacion, CarpetaDeIntercambioInexistente) {
  const fs::path falta = temp_ / "NO-EXISTE";
  try {
    (void)importacion::ImportarArchivo(saga_, falta, text::RegionalSettings{','});
    ADD_FAILURE() << "la importación siguió sin carpeta";
  } catch (const pontexa::Error& error) {
    EXPECT_NE(std::string(error.what()).find("NO-EXISTE"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(falta));
  EsperaVieja();
}

// The import only reads the exchange folder: a folder it may not write to
// changes nothing for it.
TEST_F(FallosImportacion, CarpetaDeIntercambioDeSoloLecturaNoLaImpide) {
  if (RunningAsRoot()) GTEST_SKIP() << "root escribe en carpetas de solo lectura";
  fs::permissions(carpeta_, fs::perms::owner_read | fs::perms::owner_exec);
  const std::string error = ImportaYCaptura();
  fs::permissions(carpeta_, fs::perms::owner_all);
  EXPECT_EQ(error, "");
  EXPECT_EQ(ReadBytes(saga_), nueva_);
  EsperaTablasIntactas();
}

TEST_F(FallosImportacion, ArchivoDeSagaDeSoloLectura) {
  {
    // Simulated: the file cannot be replaced.
    platform::faults::Scoped fallo([&](Operation op, const std::string& ruta) {
      return op == Operation::Rename && ruta == saga_.string();
    });
    const std::string error = ImportaYCaptura();
    EXPECT_NE(error.find("centro.xml"), std::string::npos) << error;
  }
  EsperaVieja();

  if (RunningAsRoot()) GTEST_SKIP() << "root escribe en archivos de solo lectura";
  // Real: on POSIX the folder, not the file's mode, decides whether the
  // rename goes through; either way nothing may be half written.
  fs::permissions(saga_, fs::perms::owner_read);
  (void)ImportaYCaptura();
  EsperaViejaONueva();
}

TEST_F(FallosImportacion, CarpetaDelArchivoDeSagaDeSoloLectura) {
  {
    // The atomic save cannot create its temporary file beside the target.
    platform::faults::Scoped fallo([&](Operation op, const std::string& ruta) {
      return op == Operation::Open && Dentro(ruta, carpetaSaga_) && ruta != saga_.string();
    });
    const std::string error = ImportaYCaptura();
    EXPECT_FALSE(error.empty());
  }
  EsperaVieja();

  if (RunningAsRoot()) GTEST_SKIP() << "root escribe en carpetas de solo lectura";
  fs::permissions(carpetaSaga_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(ImportaYCaptura().empty());
  fs::permissions(carpetaSaga_, fs::perms::owner_all);
  EsperaVieja();
}

TEST_F(FallosImportacion, TablaLeidaAbiertaPorOtroPrograma) {
  for (const std::string tabla : {"SOLUC", "DIASHORAST", "GRUPOST", "PROFT", "ASIGNOMT", "AULAT"}) {
    SCOPED_TRACE(tabla);
    {
      FileHolder mirvane(carpeta_ / (tabla + ".DBF"));
      const std::string error = ImportaYCaptura();
      EXPECT_NE(error.find(tabla), std::string::npos) << error;
      EsperaVieja();
    }
    EsperaTablasIntactas();
  }
  Importa();
  EXPECT_EQ(ReadBytes(saga_), nueva_);
}

TEST_F(FallosImportacion, CadaOperacionDeArchivoFallandoALaVez) {
  std::size_t total = 0;
  {
    platform::faults::Scoped cuenta([&](Operation, const std::string&) {
      ++total;
      return false;
    });
    Importa();
  }
  ASSERT_GT(total, 3u);
  for (std::size_t objetivo = 0; objetivo < total; ++objetivo) {
    SCOPED_TRACE("operación " + std::to_string(objetivo));
    WriteBytes(saga_, vieja_);
    std::size_t vista = 0;
    std::string error;
    {
      platform::faults::Scoped fallo([&](Operation, const std::string&) { return vista++ == objetivo; });
      error = ImportaYCaptura();
    }
    if (error.empty()) {
      // A failure the save can do without (its own lock): the file is new.
      EXPECT_EQ(ReadBytes(saga_), nueva_);
      EXPECT_EQ(Sobrantes(carpetaSaga_, {"centro.xml"}), std::set<std::string>{});
    } else {
      EsperaVieja();
    }
    EsperaTablasIntactas();
  }
}

TEST_F(FallosImportacion, DiscoLlenoDeVerdadConLimiteDeTamano) {
  ChildLimits limites;
  limites.fileSizeBytes = nueva_.size() - 1;
  const RunResult cli = RunChild({CliPath().string(), "importar", saga_.string(), "--carpeta", carpeta_.string()}, limites);
  EXPECT_EQ(cli.exitCode, 1) << cli.output;
  EXPECT_NE(cli.output.find("centro.xml"), std::string::npos) << cli.output;
  EsperaVieja();
  EsperaTablasIntactas();

  const RunResult sinLimite = RunChild({CliPath().string(), "importar", saga_.string(), "--carpeta", carpeta_.string()});
  EXPECT_EQ(sinLimite.exitCode, 0) << sinLimite.output;
  EXPECT_EQ(ReadBytes(saga_), nueva_);
}

// A process killed while saving leaves its temporary beside the file; the
// next save removes it, but never one a living writer still holds.
TEST_F(FallosImportacion, ElSiguienteGuardadoRetiraLosTemporalesAbandonados) {
  const fs::path abandonado = carpetaSaga_ / ".centro.xml.pontexa.0123abcd.tmp";
  const fs::path enUso = carpetaSaga_ / ".centro.xml.pontexa.89abcdef.tmp";
  const fs::path ajeno = carpetaSaga_ / ".otro.xml.pontexa.0123abcd.tmp";
  WriteBytes(abandonado, vieja_.substr(0, 100));
  WriteBytes(enUso, vieja_.substr(0, 100));
  WriteBytes(ajeno, "x");
  {
    FileHolder escritor(enUso);
    Importa();
  }
  EXPECT_EQ(ReadBytes(saga_), nueva_);
  EXPECT_EQ(Sobrantes(carpetaSaga_, {"centro.xml"}),
            (std::set<std::string>{enUso.filename().string(), ajeno.filename().string()}));
}

// ---------------------------------------------------------------------------
// Damaged SOLUC tables: a clear error naming SOLUC, and the file unchanged.

DbfFixture SolucDeTexto(const std::vector<std::vector<std::string>>& filas) {
  DbfFixture soluc;
  soluc.fields = {{"CODGRUPO", 'C', 10}, {"PROF", 'C', 10}, {"ASIG", 'C', 10}, {"DIA", 'C', 6},
                  {"HORA", 'C', 6}, {"SESIONES", 'C', 6}, {"AULA", 'C', 10}};
  soluc.rows = filas;
  return soluc;
}

TEST_F(FallosImportacion, SolucTruncadaEnCualquierPunto) {
  const std::string entera = tablas_.at("SOLUC.DBF");
  // Inside the header, inside the descriptors, inside the records; all but
  // the end mark, which may be missing.
  for (const std::size_t largo : {std::size_t{0}, std::size_t{10}, std::size_t{31}, std::size_t{32}, std::size_t{60},
                                  std::size_t{200}, entera.size() / 2, entera.size() - 2}) {
    SCOPED_TRACE("primeros " + std::to_string(largo) + " bytes");
    WriteBytes(carpeta_ / "SOLUC.DBF", entera.substr(0, largo));
    const std::string error = ImportaYCaptura();
    EXPECT_NE(error.find("SOLUC"), std::string::npos) << error;
    EsperaVieja();
  }
}

TEST_F(FallosImportacion, SolucConBytesAlterados) {
  const std::string entera = tablas_.at("SOLUC.DBF");
  std::mt19937 azar(20240902);
  int errores = 0;
  for (int caso = 0; caso < 40; ++caso) {
    std::string alterada = entera;
    // Mostly the header, where a flipped byte changes the most.
    const std::size_t zona = caso % 2 ? 300 : alterada.size();
    for (int n = 0; n < 1 + caso % 4; ++n) alterada[azar() % zona] = static_cast<char>(azar());
    WriteBytes(carpeta_ / "SOLUC.DBF", alterada);
    WriteBytes(saga_, vieja_);
    const std::string error = ImportaYCaptura();
    if (!error.empty()) {
      ++errores;
      EsperaVieja();
    } else {
      EXPECT_EQ(Sobrantes(carpetaSaga_, {"centro.xml"}), std::set<std::string>{});
    }
  }
  EXPECT_GT(errores, 0);
}

TEST_F(FallosImportacion, SolucSinUnCampoQueSeLee) {
  for (const std::string campo : {"CODGRUPO", "PROF", "ASIG", "DIA", "HORA", "SESIONES", "AULA"}) {
    SCOPED_TRACE(campo);
    DbfFixture soluc = SolucDeTexto({});
    for (auto it = soluc.fields.begin(); it != soluc.fields.end(); ++it) {
      if (it->name == campo) {
        soluc.fields.erase(it);
        break;
      }
    }
    soluc.rows = {std::vector<std::string>(soluc.fields.size(), "1")};
    soluc.WriteTo(carpeta_ / "SOLUC.DBF");
    const std::string error = ImportaYCaptura();
    EXPECT_NE(error.find(campo), std::string::npos) << error;
    EXPECT_NE(error.find("SOLUC"), std::string::npos) << error;
    EsperaVieja();
  }
}

TEST_F(FallosImportacion, TextosNoNumericosEnDiaHoraYSesiones) {
  struct Caso {
    const char* campo;
    std::vector<std::string> fila;  // CODGRUPO PROF ASIG DIA HORA SESIONES AULA
  };
  const std::vector<Caso> casos = {
      {"DIA", {"", "", "", "uno", "1", "1", ""}},
      {"DIA", {"", "", "", "", "1", "1", ""}},
      {"DIA", {"", "", "", "1,5", "1", "1", ""}},
      {"HORA", {"", "", "", "1", "2x", "1", ""}},
      {"HORA", {"", "", "", "1", "", "1", ""}},
      {"SESIONES", {"", "", "", "1", "1", "media", ""}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(std::string(caso.campo) + " = '" + caso.fila[3] + "/" + caso.fila[4] + "/" + caso.fila[5] + "'");
    SolucDeTexto({caso.fila}).WriteTo(carpeta_ / "SOLUC.DBF");
    const std::string error = ImportaYCaptura();
    EXPECT_NE(error.find(caso.campo), std::string::npos) << error;
    EXPECT_NE(error.find("SOLUC"), std::string::npos) << error;
    EsperaVieja();
  }
}

}  // namespace
}  // namespace pontexa::testing
