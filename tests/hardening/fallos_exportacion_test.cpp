// Faults during an export. Whatever happens, the six tables of the exchange
// folder end up all as they were or all as a clean export makes them (after
// the recovery the next run does first), SOLUC is never touched and no
// staging file stays behind.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "escenario.h"
#include "export/exportador.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "saga/document.h"
#include "support/temp_folder.h"
#include "tables/table_replacement.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

using platform::faults::Operation;

class FallosExportacion : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(carpeta_);
    Exporta(SagaEscuela(6, 1), carpeta_);
    EscribeSolucYDias(carpeta_, 40);  // Mirvane has filled DIASHORAST and solved
    viejas_ = Toma(carpeta_);

    xmlNuevo_ = SagaEscuela(8, 2);
    WriteBytes(saga_, xmlNuevo_);
    const fs::path referencia = temp_ / "REFERENCIA";
    fs::create_directory(referencia);
    Exporta(xmlNuevo_, referencia);
    nuevas_ = Toma(referencia);
    ASSERT_NE(SeisTablas(viejas_), SeisTablas(nuevas_));
  }

  void Restaura() {
    for (const auto& entrada : fs::directory_iterator(carpeta_)) fs::remove_all(entrada.path());
    for (const auto& [nombre, bytes] : viejas_) WriteBytes(carpeta_ / nombre, bytes);
  }

  void ExportaNuevo() {
    const saga::Document documento = saga::Document::Load(saga_);
    (void)exportacion::Exportar(documento, carpeta_, text::RegionalSettings{','});
  }

  std::set<std::string> Esperados() const {
    std::set<std::string> nombres = NombresSeisTablas();
    nombres.insert("SOLUC.DBF");
    return nombres;
  }

  // After the next run's recovery: all old or all new, SOLUC as it was,
  // nothing else in the folder.
  void EsperaSinMezclaTrasRecuperar() {
    tables::RecoverInterruptedReplacement(carpeta_);
    const Instantanea ahora = Toma(carpeta_);
    EXPECT_EQ(DescribeMezcla(ahora, viejas_, nuevas_), "");
    EXPECT_EQ(ahora.at("SOLUC.DBF"), viejas_.at("SOLUC.DBF"));
    EXPECT_EQ(Sobrantes(carpeta_, Esperados()), std::set<std::string>{});
  }

  void EsperaViejas() {
    EXPECT_EQ(SeisTablas(Toma(carpeta_)), SeisTablas(viejas_));
    EXPECT_EQ(Sobrantes(carpeta_, Esperados()), std::set<std::string>{});
  }

  TempFolder temp_;
  fs::path carpeta_ = temp_ / "QORDA";
  fs::path saga_ = temp_ / "centro.xml";
  std::string xmlNuevo_;
  Instantanea viejas_, nuevas_;
};

bool Dentro(const std::string& ruta, const fs::path& carpeta) {
  return ruta.rfind(carpeta.string(), 0) == 0;
}

TEST_F(FallosExportacion, CarpetaDeIntercambioInexistente) {
  const fs::path falta = temp_ / "NO-EXISTE";
  const saga::Document documento = saga::Document::Load(saga_);
  try {
    (void)exportacion::Exportar(documento, falta, text::RegionalSettings{','});
    ADD_FAILURE() << "la exportación siguió sin carpeta";
  } catch (const pontexa::Error& error) {
    EXPECT_NE(std::string(error.what()).find("NO-EXISTE"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(falta));

  const RunResult cli = RunChild({CliPath().string(), "exportar", saga_.string(), "--carpeta", falta.string()});
  EXPECT_EQ(cli.exitCode, 1) << cli.output;
  EXPECT_NE(cli.output.find("NO-EXISTE"), std::string::npos) << cli.output;
  EXPECT_FALSE(fs::exists(falta));
  EXPECT_EQ(ReadBytes(saga_), xmlNuevo_);
}

// Root ignores permission bits, so the folder's refusal is staged at the
// file layer; a real chmod runs too where it means something.
TEST_F(FallosExportacion, CarpetaDeIntercambioDeSoloLectura) {
  {
    platform::faults::Scoped fallo([&](Operation op, const std::string& ruta) {
      return (op == Operation::Open || op == Operation::Rename) && Dentro(ruta, carpeta_);
    });
    EXPECT_THROW(ExportaNuevo(), pontexa::Error);
  }
  EsperaViejas();

  if (RunningAsRoot()) GTEST_SKIP() << "root escribe en carpetas de solo lectura";
  fs::permissions(carpeta_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(ExportaNuevo(), pontexa::Error);
  fs::permissions(carpeta_, fs::perms::owner_all);
  EsperaViejas();
}

TEST_F(FallosExportacion, TablaAbiertaPorOtroProgramaNoSeSustituyeNinguna) {
  for (const std::string& tabla : NombresSeisTablas()) {
    SCOPED_TRACE(tabla);
    Restaura();
    {
      FileHolder mirvane(carpeta_ / tabla);
      try {
        ExportaNuevo();
        ADD_FAILURE() << "la exportación sustituyó una tabla abierta";
      } catch (const pontexa::Error& error) {
        const std::string nombre = tabla.substr(0, tabla.size() - 4);
        EXPECT_NE(std::string(error.what()).find(nombre), std::string::npos) << error.what();
      }
      EsperaViejas();
    }
    ExportaNuevo();  // once Mirvane lets go, the same export goes through
    EXPECT_EQ(SeisTablas(Toma(carpeta_)), SeisTablas(nuevas_));
  }
}

// Every file operation of a clean export, failed one at a time: a full disk
// at each write, a failing flush, open and rename.
TEST_F(FallosExportacion, CadaOperacionDeArchivoFallandoALaVez) {
  std::vector<std::pair<Operation, std::string>> operaciones;
  {
    platform::faults::Scoped cuenta([&](Operation op, const std::string& ruta) {
      if (Dentro(ruta, carpeta_)) operaciones.emplace_back(op, ruta);
      return false;
    });
    ExportaNuevo();
  }
  ASSERT_GT(operaciones.size(), 12u);
  const bool escribe = std::any_of(operaciones.begin(), operaciones.end(),
                                   [](const auto& o) { return o.first == Operation::Write; });
  ASSERT_TRUE(escribe);

  for (std::size_t objetivo = 0; objetivo < operaciones.size(); ++objetivo) {
    SCOPED_TRACE("operación " + std::to_string(objetivo) + " sobre " + operaciones[objetivo].second);
    Restaura();
    std::size_t vista = 0;
    std::string mensaje;
    {
      platform::faults::Scoped fallo([&](Operation, const std::string& ruta) {
        return Dentro(ruta, carpeta_) && vista++ == objetivo;
      });
      try {
        ExportaNuevo();
      } catch (const pontexa::Error& error) {
        mensaje = error.what();
      }
    }
    if (mensaje.empty()) {
      EXPECT_EQ(SeisTablas(Toma(carpeta_)), SeisTablas(nuevas_));
    } else {
      // One fault, before or during the switch, leaves the old set at once:
      // a switch failing half-way is undone there and then.
      EXPECT_EQ(DescribeMezcla(Toma(carpeta_), viejas_, nuevas_), "") << mensaje;
      EXPECT_EQ(SeisTablas(Toma(carpeta_)), SeisTablas(viejas_)) << mensaje;
    }
    EsperaSinMezclaTrasRecuperar();
  }
}

// A real full disk: pontexa-cli under a file-size limit that the largest new
// table crosses. The write fails with EFBIG and nothing is replaced.
TEST_F(FallosExportacion, DiscoLlenoDeVerdadConLimiteDeTamano) {
  std::uintmax_t mayor = 0;
  for (const auto& [nombre, bytes] : SeisTablas(nuevas_)) mayor = std::max<std::uintmax_t>(mayor, bytes.size());
  ChildLimits limites;
  limites.fileSizeBytes = mayor - 1;
  const RunResult cli = RunChild({CliPath().string(), "exportar", saga_.string(), "--carpeta", carpeta_.string()}, limites);
  EXPECT_EQ(cli.exitCode, 1) << cli.output;
  EXPECT_NE(cli.output.find(carpeta_.string()), std::string::npos) << cli.output;
  EsperaViejas();

  const RunResult sinLimite = RunChild({CliPath().string(), "exportar", saga_.string(), "--carpeta", carpeta_.string()});
  EXPECT_EQ(sinLimite.exitCode, 0) << sinLimite.output;
  EXPECT_EQ(SeisTablas(Toma(carpeta_)), SeisTablas(nuevas_));
}

}  // namespace
}  // namespace pontexa::testing
