// pontexa-cli killed (SIGKILL) at random moments of an export and of an
// import, on a school large enough that the run lasts a while. After each
// kill, the next run's recovery must find the tables all old or all new and
// the SAGA file old or complete; and the next run leaves no temporary file.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "child_process.h"
#include "escenario.h"
#include "import/importador.h"
#include "support/temp_folder.h"
#include "tables/table_replacement.h"

namespace fs = std::filesystem;
using Reloj = std::chrono::steady_clock;

namespace pontexa::testing {
namespace {

constexpr int kIntentos = 30;
constexpr auto kPresupuesto = std::chrono::seconds(25);  // per direction

double Segundos(Reloj::duration d) { return std::chrono::duration<double>(d).count(); }

// Every other kill lands late in the run, where the tables are switched or
// the file is saved; the rest anywhere, a little past the end included.
std::chrono::microseconds Momento(std::mt19937& azar, int intento, Reloj::duration duracion) {
  const long long total = std::chrono::duration_cast<std::chrono::microseconds>(duracion).count();
  const long long desde = intento % 2 ? total * 3 / 5 : 0;
  return std::chrono::microseconds(std::uniform_int_distribution<long long>(desde, total * 11 / 10)(azar));
}

// Wall-clock time of one uninterrupted run, to spread the kills over it.
Reloj::duration DuracionDe(const std::vector<std::string>& argv) {
  const auto inicio = Reloj::now();
  const RunResult resultado = RunChild(argv);
  EXPECT_EQ(resultado.exitCode, 0) << resultado.output;
  return Reloj::now() - inicio;
}

void Restaura(const fs::path& carpeta, const Instantanea& contenido) {
  for (const auto& entrada : fs::directory_iterator(carpeta)) fs::remove_all(entrada.path());
  for (const auto& [nombre, bytes] : contenido) WriteBytes(carpeta / nombre, bytes);
}

TEST(Interrupciones, ExportacionMatadaEnCualquierMomento) {
  TempFolder temp;
  const fs::path carpeta = temp / "QORDA";
  const fs::path saga = temp / "centro.xml";
  fs::create_directory(carpeta);
  Exporta(SagaEscuela(10, 1), carpeta);
  EscribeSolucYDias(carpeta, 50);
  const Instantanea viejas = Toma(carpeta);

  const std::string xml = SagaEscuela(5000, 2);
  WriteBytes(saga, xml);
  const fs::path referencia = temp / "REFERENCIA";
  fs::create_directory(referencia);
  const std::vector<std::string> enReferencia{CliPath().string(), "exportar", saga.string(), "--carpeta", referencia.string()};
  const Reloj::duration duracion = DuracionDe(enReferencia);
  const Instantanea nuevas = Toma(referencia);
  std::set<std::string> esperados = NombresSeisTablas();
  esperados.insert("SOLUC.DBF");

  std::mt19937 azar(7);
  int matadas = 0, terminadas = 0, viejasTras = 0, nuevasTras = 0, aMedias = 0;
  const auto inicio = Reloj::now();
  for (int intento = 0; intento < kIntentos && Reloj::now() - inicio < kPresupuesto; ++intento) {
    SCOPED_TRACE("intento " + std::to_string(intento));
    Restaura(carpeta, viejas);
    {
      ChildProcess cli({CliPath().string(), "exportar", saga.string(), "--carpeta", carpeta.string()});
      std::this_thread::sleep_for(Momento(azar, intento, duracion));
      if (cli.Finished()) ++terminadas; else ++matadas;
      cli.Kill();
    }
    // Past the commit point the switch may be half done until the next run.
    if (!DescribeMezcla(Toma(carpeta), viejas, nuevas).empty()) ++aMedias;
    tables::RecoverInterruptedReplacement(carpeta);
    const Instantanea ahora = Toma(carpeta);
    EXPECT_EQ(DescribeMezcla(ahora, viejas, nuevas), "");
    (SeisTablas(ahora) == SeisTablas(viejas) ? viejasTras : nuevasTras)++;
    EXPECT_EQ(ahora.at("SOLUC.DBF"), viejas.at("SOLUC.DBF"));
    EXPECT_EQ(Sobrantes(carpeta, esperados), std::set<std::string>{});
    EXPECT_EQ(ReadBytes(saga), xml);
  }
  // The next run, uninterrupted, gives the new tables and nothing else.
  const RunResult siguiente = RunChild({CliPath().string(), "exportar", saga.string(), "--carpeta", carpeta.string()});
  EXPECT_EQ(siguiente.exitCode, 0) << siguiente.output;
  EXPECT_EQ(SeisTablas(Toma(carpeta)), SeisTablas(nuevas));
  EXPECT_EQ(Sobrantes(carpeta, esperados), std::set<std::string>{});

  std::cout << "exportación de " << Segundos(duracion) << " s: " << matadas << " matadas, " << terminadas
            << " terminadas antes; tras recuperar " << viejasTras << " viejas, " << nuevasTras << " nuevas; "
            << aMedias << " a medias antes de recuperar\n";
  EXPECT_GT(matadas, 0);
}

TEST(Interrupciones, ImportacionMatadaEnCualquierMomento) {
  TempFolder temp;
  const fs::path carpeta = temp / "QORDA";
  const fs::path carpetaSaga = temp / "saga";
  const fs::path saga = carpetaSaga / "centro.xml";
  fs::create_directory(carpeta);
  fs::create_directory(carpetaSaga);
  const std::string vieja = SagaEscuela(3000, 1);
  Exporta(vieja, carpeta);
  EscribeSolucYDias(carpeta, 100000);
  const Instantanea tablas = Toma(carpeta);

  const fs::path referencia = temp / "referencia.xml";
  WriteBytes(referencia, vieja);
  const Reloj::duration duracion =
      DuracionDe({CliPath().string(), "importar", referencia.string(), "--carpeta", carpeta.string()});
  const std::string nueva = ReadBytes(referencia);
  ASSERT_NE(nueva, vieja);
  const std::vector<std::string> importar{CliPath().string(), "importar", saga.string(), "--carpeta", carpeta.string()};

  std::mt19937 azar(11);
  int matadas = 0, terminadas = 0, viejaTras = 0, nuevaTras = 0;
  const auto inicio = Reloj::now();
  for (int intento = 0; intento < kIntentos && Reloj::now() - inicio < kPresupuesto; ++intento) {
    SCOPED_TRACE("intento " + std::to_string(intento));
    WriteBytes(saga, vieja);
    {
      ChildProcess cli(importar);
      std::this_thread::sleep_for(Momento(azar, intento, duracion));
      if (cli.Finished()) ++terminadas; else ++matadas;
      cli.Kill();
    }
    const std::string ahora = ReadBytes(saga);
    EXPECT_TRUE(ahora == vieja || ahora == nueva) << "archivo de SAGA a medias: " << ahora.size() << " bytes";
    (ahora == vieja ? viejaTras : nuevaTras)++;
    EXPECT_EQ(Toma(carpeta), tablas);

    // The next run finishes the job and leaves nothing beside the file.
    const RunResult siguiente = RunChild(importar);
    EXPECT_EQ(siguiente.exitCode, 0) << siguiente.output;
    EXPECT_EQ(ReadBytes(saga), nueva);
    EXPECT_EQ(Sobrantes(carpetaSaga, {"centro.xml"}), std::set<std::string>{});
  }
  std::cout << "importación de " << Segundos(duracion) << " s: " << matadas << " matadas, " << terminadas
            << " terminadas antes; el archivo quedó " << viejaTras << " veces viejo, " << nuevaTras << " nuevo\n";
  EXPECT_GT(matadas, 0);
}

}  // namespace
}  // namespace pontexa::testing
