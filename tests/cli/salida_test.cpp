// What pontexa-cli says about itself, and a run whose output is lost.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ejecutar_cli.h"
#include "support/temp_folder.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using pontexa::testing::Citado;
using pontexa::testing::Ejecutar;
using pontexa::testing::Salida;

TEST(SalidaCli, VersionFromTheProject) {
  pontexa::testing::TempFolder tmp;
  const Salida salida = Ejecutar(tmp, "--version");
  EXPECT_EQ(salida.codigo, 0);
  EXPECT_EQ(salida.out, "pontexa-cli " PONTEXA_VERSION "\n");
  EXPECT_EQ(salida.err, "");
}

TEST(SalidaCli, HelpAndUsageWriteSpanishWithItsAccents) {
  pontexa::testing::TempFolder tmp;
  const Salida ayuda = Ejecutar(tmp, "--help");
  EXPECT_EQ(ayuda.codigo, 0);
  for (const char* palabra : {"(vacía)", "sección", "--version", "versión"}) {
    EXPECT_THAT(ayuda.out, HasSubstr(palabra));
  }
  EXPECT_THAT(Ejecutar(tmp, "exportar a.xml --rapido").err, HasSubstr("opción desconocida: --rapido"));
}

#if !defined(_WIN32)
// Runs `argumentos` with standard output on /dev/full, a device every write
// to which fails; returns the exit code and what went to stderr.
Salida SinSitioParaLaSalida(const pontexa::testing::TempFolder& tmp, const std::string& argumentos) {
  const fs::path err = tmp / "stderr.txt";
  const std::string orden = "\"" + std::string(PONTEXA_CLI) + "\" " + argumentos + " >/dev/full 2>" + Citado(err);
  const int estado = std::system(orden.c_str());
  Salida salida;
  salida.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
  salida.err = pontexa::testing::ReadBytes(err);
  return salida;
}

TEST(SalidaCli, AnOutputThatCannotBeWrittenIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no hay /dev/full";
  pontexa::testing::TempFolder tmp;
  fs::create_directory(tmp / "qorda");
  const fs::path instituto = pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml";
  for (const std::string& argumentos :
       {std::string("--help"), std::string("--version"),
        "exportar " + Citado(instituto) + " --carpeta " + Citado(tmp / "qorda")}) {
    const Salida salida = SinSitioParaLaSalida(tmp, argumentos);
    EXPECT_EQ(salida.codigo, 1) << argumentos;
    EXPECT_THAT(salida.err, HasSubstr("pontexa-cli: no se puede escribir la salida: ")) << argumentos;
  }
  EXPECT_EQ(SinSitioParaLaSalida(tmp, "--version").err,
            "pontexa-cli: no se puede escribir la salida: No queda espacio en el disco\n");
}
#endif

}  // namespace
