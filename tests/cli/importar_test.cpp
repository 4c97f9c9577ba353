// pontexa-cli importar, run as Mirvane's users would run it: export the
// sample school, let the sample Mirvane tables stand for Mirvane's work,
// import back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ejecutar_cli.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using pontexa::testing::Citado;
using pontexa::testing::Ejecutar;
using pontexa::testing::Salida;
using pontexa::testing::UltimaLinea;

class ImportarCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(carpeta);
    fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml", saga);
    const Salida exportado = Ejecutar(tmp, "exportar " + Citado(saga) + " --carpeta " + Citado(carpeta));
    ASSERT_EQ(exportado.codigo, 0) << exportado.err;
    // Mirvane's part: it fills DIASHORAST and solves SOLUC.
    for (const char* tabla : {"DIASHORAST.DBF", "SOLUC.DBF"}) {
      fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/qorda" / tabla, carpeta / tabla,
                    fs::copy_options::overwrite_existing);
    }
  }
  std::string Importar() const { return "importar " + Citado(saga) + " --carpeta " + Citado(carpeta); }

  pontexa::testing::TempFolder tmp;
  fs::path carpeta = tmp / "qorda";
  fs::path saga = tmp / "instituto.xml";
};

TEST_F(ImportarCliTest, WritesTheSectionAndEndsWithProcesoFinalizado) {
  const Salida r = Ejecutar(tmp, Importar());
  EXPECT_EQ(r.codigo, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_THAT(r.out, HasSubstr("time-tables: 5 días, 30 intervalos, 11 grupos, 24 profesores, 34 actividades, "
                               "228 sesiones\n"));
  EXPECT_EQ(UltimaLinea(r.out), "Proceso finalizado");
  const std::string despues = pontexa::testing::ReadBytes(saga);
  EXPECT_THAT(despues, HasSubstr("<day id=\"3\" name=\"Miércoles\"><interval id=\"i1\" begin=\"8:00\" end=\"08:55\"/>"));
  EXPECT_THAT(despues, HasSubstr("<member/>"));  // a lesson without teacher

  // A second run rewrites the file with the same bytes.
  ASSERT_EQ(Ejecutar(tmp, Importar()).codigo, 0);
  EXPECT_EQ(pontexa::testing::ReadBytes(saga), despues);
}

TEST_F(ImportarCliTest, MissingFileSaysNoExisteArchivo) {
  const Salida r = Ejecutar(tmp, "importar " + Citado(tmp / "no-esta.xml") + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(r.codigo, 1);
  EXPECT_THAT(r.err, HasSubstr("No existe archivo"));
  EXPECT_THAT(r.out, Not(HasSubstr("Proceso finalizado")));
}

TEST_F(ImportarCliTest, FailureShowsTheMessageAndLeavesTheFile) {
  fs::remove(carpeta / "SOLUC.DBF");
  const std::string antes = pontexa::testing::ReadBytes(saga);
  const Salida r = Ejecutar(tmp, Importar());
  EXPECT_EQ(r.codigo, 1);
  EXPECT_THAT(r.err, HasSubstr("SOLUC"));
  EXPECT_THAT(r.out, Not(HasSubstr("Proceso finalizado")));
  EXPECT_EQ(pontexa::testing::ReadBytes(saga), antes);
}

TEST_F(ImportarCliTest, WrongUseExitsWithTwo) {
  for (const char* argumentos : {"importar", "importar a.xml b.xml", "importar a.xml --sin-esto"}) {
    const Salida r = Ejecutar(tmp, argumentos);
    EXPECT_EQ(r.codigo, 2) << argumentos;
    EXPECT_THAT(r.err, HasSubstr("Uso:")) << argumentos;
  }
}

}  // namespace
