// Transfers started together on one exchange folder (a double click, the
// dialog and a script, Mirvane started twice), and one killed while it holds
// the folder. After each round the folder holds one whole set of tables and
// nothing else of ours; at least one run succeeds, and the other succeeds
// after waiting or fails saying the folder is busy.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "escenario.h"
#include "support/temp_folder.h"
#include "tables/transfer_lock.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace pontexa::testing {
namespace {

constexpr int kRondas = 8;
constexpr std::string_view kOcupada = "Otra transferencia de Pontexa está usando la carpeta";

std::vector<std::string> Cli(const std::string& orden, const fs::path& saga, const fs::path& carpeta) {
  return {CliPath().string(), orden, saga.string(), "--carpeta", carpeta.string()};
}

struct Ronda {
  RunResult a, b;
};

// Both started at once; each collects its own output.
Ronda AlaVez(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  Ronda ronda;
  std::thread otra([&] { ronda.b = RunChild(b); });
  ronda.a = RunChild(a);
  otra.join();
  return ronda;
}

// Succeeded, or failed only because the folder was busy.
void EsperaBienOOcupada(const RunResult& r) {
  if (r.exitCode != 0) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find(kOcupada), std::string::npos) << r.output;
  }
}

class ALaVez : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(carpeta_);
    for (int v : {1, 2}) {
      const fs::path saga = temp_ / ("centro" + std::to_string(v) + ".xml");
      WriteBytes(saga, SagaEscuela(60, v));
      sagas_.push_back(saga);
      const fs::path referencia = temp_ / ("REF" + std::to_string(v));
      fs::create_directory(referencia);
      const RunResult r = RunChild(Cli("exportar", saga, referencia));
      ASSERT_EQ(r.exitCode, 0) << r.output;
      conjuntos_.push_back(SeisTablas(Toma(referencia)));
    }
  }

  // One of the two whole sets, SOLUC and DIASHORAST as `fijas` says, and
  // nothing left of any run.
  void EsperaUnConjunto(const std::set<std::string>& esperados) {
    const Instantanea seis = SeisTablas(Toma(carpeta_));
    EXPECT_TRUE(seis == conjuntos_[0] || seis == conjuntos_[1]) << DescribeMezcla(Toma(carpeta_), conjuntos_[0], conjuntos_[1]);
    EXPECT_EQ(Sobrantes(carpeta_, esperados), std::set<std::string>{});
  }

  TempFolder temp_;
  fs::path carpeta_ = temp_ / "QORDA";
  std::vector<fs::path> sagas_;
  std::vector<Instantanea> conjuntos_;
};

TEST_F(ALaVez, DosExportacionesDeDosCentros) {
  for (int ronda = 0; ronda < kRondas; ++ronda) {
    SCOPED_TRACE("ronda " + std::to_string(ronda));
    const Ronda r = AlaVez(Cli("exportar", sagas_[ronda % 2], carpeta_), Cli("exportar", sagas_[1 - ronda % 2], carpeta_));
    EXPECT_TRUE(r.a.exitCode == 0 || r.b.exitCode == 0) << r.a.output << r.b.output;
    EsperaBienOOcupada(r.a);
    EsperaBienOOcupada(r.b);
    EsperaUnConjunto(NombresSeisTablas());
  }
}

// The import reads the tables the export switches: it must see the old set
// or the new one, so its SAGA file is exactly what an import before, or
// after, the export makes.
TEST_F(ALaVez, ExportacionEImportacion) {
  ASSERT_EQ(RunChild(Cli("exportar", sagas_[0], carpeta_)).exitCode, 0);
  EscribeSolucYDias(carpeta_, 200);
  const Instantanea inicial = Toma(carpeta_);
  const fs::path saga = temp_ / "importado.xml";
  const std::string original = ReadBytes(sagas_[0]);
  // The two outcomes a serial order gives: import before the export of the
  // other school, or after it (which may fail on codes it does not know).
  WriteBytes(saga, original);
  const RunResult antes = RunChild(Cli("importar", saga, carpeta_));
  ASSERT_EQ(antes.exitCode, 0) << antes.output;
  const std::string trasAntes = ReadBytes(saga);
  ASSERT_EQ(RunChild(Cli("exportar", sagas_[1], carpeta_)).exitCode, 0);
  WriteBytes(saga, original);
  const RunResult despues = RunChild(Cli("importar", saga, carpeta_));
  const std::string trasDespues = ReadBytes(saga);

  std::set<std::string> esperados = NombresSeisTablas();
  esperados.insert("SOLUC.DBF");
  for (int ronda = 0; ronda < kRondas; ++ronda) {
    SCOPED_TRACE("ronda " + std::to_string(ronda));
    for (const auto& [nombre, bytes] : inicial) WriteBytes(carpeta_ / nombre, bytes);
    WriteBytes(saga, original);
    const Ronda r = AlaVez(Cli("importar", saga, carpeta_), Cli("exportar", sagas_[1], carpeta_));
    EXPECT_TRUE(r.a.exitCode == 0 || r.b.exitCode == 0) << r.a.output << r.b.output;
    EsperaBienOOcupada(r.b);
    const std::string ahora = ReadBytes(saga);
    if (r.a.exitCode == 0) {
      EXPECT_TRUE(ahora == trasAntes || (despues.exitCode == 0 && ahora == trasDespues)) << r.a.output;
    } else {
      EXPECT_EQ(ahora, original);
      // The same failure as the serial import after the export, once it waited.
      const bool comoDespues = despues.exitCode != 0 && r.a.output.find(despues.output) != std::string::npos;
      EXPECT_TRUE(comoDespues || r.a.output.find(kOcupada) != std::string::npos) << r.a.output;
    }
    EsperaUnConjunto(esperados);
    EXPECT_EQ(Sobrantes(temp_.Path(), {"QORDA", "REF1", "REF2", "centro1.xml", "centro2.xml", "importado.xml"}),
              std::set<std::string>{});
  }
}

// Two imports into one SAGA file from two folders: both succeed, one after
// the other, and the file is one import's whole result.
TEST_F(ALaVez, DosImportacionesAUnArchivo) {
  std::vector<fs::path> carpetas;
  std::vector<std::string> resultados;
  const fs::path saga = temp_ / "importado.xml";
  for (int v : {0, 1}) {
    const fs::path carpeta = temp_ / ("Q" + std::to_string(v));
    fs::create_directory(carpeta);
    ASSERT_EQ(RunChild(Cli("exportar", sagas_[0], carpeta)).exitCode, 0);
    EscribeSolucYDias(carpeta, 100 + 50 * v);
    WriteBytes(saga, ReadBytes(sagas_[0]));
    ASSERT_EQ(RunChild(Cli("importar", saga, carpeta)).exitCode, 0);
    resultados.push_back(ReadBytes(saga));
    carpetas.push_back(carpeta);
  }
  ASSERT_NE(resultados[0], resultados[1]);
  for (int ronda = 0; ronda < kRondas; ++ronda) {
    SCOPED_TRACE("ronda " + std::to_string(ronda));
    WriteBytes(saga, ReadBytes(sagas_[0]));
    const Ronda r = AlaVez(Cli("importar", saga, carpetas[0]), Cli("importar", saga, carpetas[1]));
    EXPECT_EQ(r.a.exitCode, 0) << r.a.output;
    EXPECT_EQ(r.b.exitCode, 0) << r.b.output;
    const std::string ahora = ReadBytes(saga);
    EXPECT_TRUE(ahora == resultados[0] || ahora == resultados[1]);
  }
}

// A transfer killed while it holds the folder never blocks the next one.
TEST_F(ALaVez, UnaTransferenciaMatadaLiberaLaCarpeta) {
  const fs::path grande = temp_ / "grande.xml";
  WriteBytes(grande, SagaEscuela(3000, 3));
  tables::LockWait sinEspera;
  sinEspera.total = 0ms;
  int matadas = 0;
  for (int intento = 0; intento < 3 && matadas == 0; ++intento) {
    ChildProcess cli(Cli("exportar", grande, carpeta_));
    // Until the child holds the folder (or has finished).
    bool ocupada = false;
    for (int i = 0; i < 400 && !ocupada && !cli.Finished(); ++i) {
      try {
        tables::TransferLock::ForExchangeFolder(carpeta_, tables::TransferLock::Use::Write, sinEspera);
        std::this_thread::sleep_for(5ms);
      } catch (const tables::TransferBusyError&) {
        ocupada = true;
      }
    }
    if (!ocupada) continue;
    cli.Kill();
    ++matadas;
    EXPECT_TRUE(tables::TransferLock::ForExchangeFolder(carpeta_, tables::TransferLock::Use::Write, sinEspera).Held());
  }
  ASSERT_GT(matadas, 0);
  const RunResult siguiente = RunChild(Cli("exportar", sagas_[0], carpeta_));
  EXPECT_EQ(siguiente.exitCode, 0) << siguiente.output;
  EXPECT_EQ(SeisTablas(Toma(carpeta_)), conjuntos_[0]);
  EXPECT_EQ(Sobrantes(carpeta_, NombresSeisTablas()), std::set<std::string>{});
}

}  // namespace
}  // namespace pontexa::testing
